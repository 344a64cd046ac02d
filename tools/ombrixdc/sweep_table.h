#pragma once
// What `ombrixdc sweep` measures at each fast speed, how it picks the speed to recommend, and
// the table and JSON document it prints. Lengths are in microns (thousandths of the measuring
// unit, which is mm on the machines the sweep is meant for), speeds in mm/s.
//
// At each speed the sweep learns a map (a slow reference scan and a fast scan) and then runs
// compensated: a new fast scan corrected with that map. From the compensated run:
//   form error   the form of the fast scan's fitted circle less that of the slow reference
//                scan (GetData of the Fast and Slow data sets): what scanning fast adds to
//                the form the measurement reports;
//   dynamic      the peak-to-valley of Fast - Slow on the map grid: what scanning fast adds
//                to the slow reference profile;
//   residual     the peak-to-valley of Corrected - Slow on the map grid: what is left of it
//                after the compensation;
//   removed      1 - residual / dynamic.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "src/component/circle_dc_component.h"

struct SweepRow {
  double requestedSpeed = 0.0;  // the speed asked for (ModeParameter)
  double fastSpeed = 0.0;       // the speed the fast scans ran at (FastSpeed; may be held lower)
  double scanSeconds = 0.0;     // the fast scan's path, overtravel included, over its speed
  double slowFormUm = 0.0;
  double fastFormUm = 0.0;
  double dynamicUm = 0.0;
  double residualUm = 0.0;
  std::string failure;  // why the speed was not measured; empty when it was

  bool Measured() const { return failure.empty(); }
  double FormErrorUm() const { return fastFormUm - slowFormUm; }
  double RemovedFraction() const;  // NaN without a dynamic error
};

// The peak-to-valley of a - b over the points both data sets have, in microns; NaN when they
// have none in common.
double PeakToValleyDifferenceUm(const ombrixdc::DataSet& a, const ombrixdc::DataSet& b);

// The measures of a compensated run from the component's data sets; `failure` set when the
// run left no Slow, Fast or Corrected data.
SweepRow MeasureCompensatedRun(ombrixdc::CircleDCComponent& c);

// The row of the highest fast speed whose residual stays within `limitUm`; nothing when no
// measured speed does.
std::optional<size_t> RecommendedRow(const std::vector<SweepRow>& rows, double limitUm);

// The table as printed: a heading, one line per speed, and the recommendation.
std::vector<std::string> SweepTableLines(const std::vector<SweepRow>& rows, double limitUm,
                                         std::optional<size_t> recommended);

// {"limitUm": ..., "recommendedSpeed": speed or null, "speeds": [{"speed", "fastSpeed",
//  "scanSeconds", "slowFormUm", "fastFormUm", "formErrorUm", "dynamicUm", "residualUm",
//  "removed"} or {"speed", "error"}]}.
std::string SweepJson(const std::vector<SweepRow>& rows, double limitUm,
                      std::optional<size_t> recommended);
