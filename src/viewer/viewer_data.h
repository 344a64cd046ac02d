#pragma once
// What the Radial Error View draws: the six data sets of one circle measurement with the
// feature's description, the view switches, and the ring scale. Filled by the data loading
// (from the component after a run, or from a data sets file) and read by the paint.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/trivell/geometry.h"
#include "platform/ui/canvas.h"

namespace ombrixdc {

inline constexpr int32_t kRingCount = 8;
// Ring spacing of the plot in microns, selected by RingIndex.
inline constexpr std::array<int32_t, kRingCount> kRingIntervals{2, 5, 10, 20, 50, 100, 500, 2000};

// One scan as the viewer shows it: radii (mm) and angles (radians, 0 along +X,
// counter-clockwise positive) in the order of measurement, and its fitted circle.
struct ViewerDataSet {
  std::vector<double> radii;
  std::vector<double> angles;
  double form = 0.0;    // mm
  double radius = 0.0;  // mm, fitted
  CMaPoint centre;      // mm, machine coordinates
};

// The feature a picture belongs to, as a run or a data sets file describes it: the one list
// of these fields that the component fills after a run and the viewer reads.
struct ViewerFeature {
  int32_t MeasuringUnit = 0;  // 0 mm, 1 inches
  double FeatureRadius = 0.0;
  int32_t ScanDirection = 0;  // 0 clockwise, 1 anticlockwise
  CMaPoint Centre;
  CMaPoint Normal;
  CMaPoint Xaxis;
  double SlowSpeed = 0.0;
  double FastSpeed = 0.0;
};

// Index k: 0 metrology slow (reference), 1 metrology fast, 2 metrology corrected,
// 3..5 the same three normalised to the map grid.
struct ViewerDataSets : ViewerFeature {
  std::array<ViewerDataSet, 6> sets;
  double CorrectedSpeed = 0.0;  // the fast speed again: the corrected scan was made at it
};

// The display text of a string id (the viewer's words: menu, status bar, plot, panel).
using TextLookup = std::function<std::string(int32_t id)>;

// Everything one paint reads, taken as a snapshot so the paint never races a loader.
struct PaintInput {
  ViewerDataSets data;
  int32_t MetrologyView = 1;
  int32_t ShowGrid = 1;
  int32_t ShowReference = 1;
  int32_t ShowFast = 1;
  int32_t ShowCorrected = 1;
  int32_t RingIndex = -1;               // -1: no scale chosen, no data plotted
  double SlowSpeedRepeatability = 0.0;  // mm
  ui::Image logo;                       // 216 x 42
  TextLookup text;
};

}  // namespace ombrixdc
