#include "tools/ombrixdc/sweep_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/ombrixdc/json_text.h"
#include "tools/ombrixdc/number_text.h"

using namespace ombrixdc;

namespace {

constexpr double kMicronsPerUnit = 1000.0;

std::string Fixed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

double FormUm(const RunResults& results, EDataType type) {
  const std::optional<DataSetPoints> points = DataSetPointsOf(results, type);
  return points ? points->form * kMicronsPerUnit : std::nan("");
}

}  // namespace

double SweepRow::RemovedFraction() const {
  return dynamicUm > 0.0 ? 1.0 - residualUm / dynamicUm : std::nan("");
}

double PeakToValleyDifferenceUm(const DataSet& a, const DataSet& b) {
  const size_t n = std::min(a.radii.GetSize(), b.radii.GetSize());
  if (n == 0) {
    return std::nan("");
  }
  double low = a.radii[0] - b.radii[0];
  double high = low;
  for (size_t i = 1; i < n; ++i) {
    const double d = a.radii[i] - b.radii[i];
    low = std::min(low, d);
    high = std::max(high, d);
  }
  return (high - low) * kMicronsPerUnit;
}

SweepRow MeasureCompensatedRun(CircleDCComponent& c) {
  SweepRow row;
  const PublishedRunResults results = c.Results();  // one read: every set of the same run
  if (!results) {
    row.failure = "the compensated run left no slow, fast or corrected data";
    return row;
  }
  row.fastSpeed = results->feature.fastSpeed;
  const DataSet& slow = results->dataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW];
  const DataSet& fast = results->dataSets[E_OMBRIX_DC_CIRCLE_DATA_FAST];
  const DataSet& corrected = results->dataSets[E_OMBRIX_DC_CIRCLE_DATA_CORRECTED];
  if (slow.radii.IsEmpty() || fast.radii.IsEmpty() || corrected.radii.IsEmpty()) {
    row.failure = "the compensated run left no slow, fast or corrected data";
    return row;
  }
  row.slowFormUm = FormUm(*results, E_OMBRIX_DC_CIRCLE_DATA_SLOW);
  row.fastFormUm = FormUm(*results, E_OMBRIX_DC_CIRCLE_DATA_FAST);
  row.dynamicUm = PeakToValleyDifferenceUm(fast, slow);
  row.residualUm = PeakToValleyDifferenceUm(corrected, slow);
  return row;
}

std::optional<size_t> RecommendedRow(const std::vector<SweepRow>& rows, double limitUm) {
  std::optional<size_t> best;
  for (size_t i = 0; i < rows.size(); ++i) {
    const SweepRow& row = rows[i];
    if (row.Measured() && row.residualUm <= limitUm &&
        (!best || row.fastSpeed > rows[*best].fastSpeed)) {
      best = i;
    }
  }
  return best;
}

std::vector<std::string> SweepTableLines(const std::vector<SweepRow>& rows, double limitUm,
                                         std::optional<size_t> recommended) {
  std::vector<std::string> lines;
  lines.push_back("  speed  scan time form error    dynamic   residual  removed");
  lines.push_back("   mm/s          s         um         um         um        %");
  for (size_t i = 0; i < rows.size(); ++i) {
    const SweepRow& row = rows[i];
    std::string line = Fixed("%7.1f", row.Measured() ? row.fastSpeed : row.requestedSpeed);
    if (!row.Measured()) {
      lines.push_back(line + "  not measured: " + row.failure);
      continue;
    }
    line += Fixed("  %9.3f", row.scanSeconds) + Fixed("  %9.3f", row.FormErrorUm()) +
            Fixed("  %9.3f", row.dynamicUm) + Fixed("  %9.3f", row.residualUm) +
            Fixed("  %7.1f", 100.0 * row.RemovedFraction());
    if (row.fastSpeed != row.requestedSpeed) {
      line += std::string("  (asked ") + Fixed("%g", row.requestedSpeed) +
              ": held to 2 x DCSpeedFactor x FeatureRadius)";
    }
    if (recommended == i) {
      line += "  <- recommended";
    }
    lines.push_back(line);
  }
  lines.push_back("");
  if (recommended) {
    lines.push_back("Recommended fast speed: " + ShortestText(rows[*recommended].fastSpeed) +
                    " mm/s (the highest whose compensated residual is within " +
                    Fixed("%.3f", limitUm) + " um)");
  } else if (std::none_of(rows.begin(), rows.end(),
                          [](const SweepRow& row) { return row.Measured(); })) {
    lines.push_back("No speed was measured; the reasons are above");
  } else {
    lines.push_back("No speed keeps the compensated residual within " + Fixed("%.3f", limitUm) +
                    " um; scan slower or learn the map again");
  }
  return lines;
}

std::string SweepJson(const std::vector<SweepRow>& rows, double limitUm,
                      std::optional<size_t> recommended) {
  std::string json = "{\"limitUm\": " + JsonNumber(limitUm) + ", \"recommendedSpeed\": " +
                     (recommended ? JsonNumber(rows[*recommended].fastSpeed) : "null") +
                     ", \"speeds\": [";
  for (size_t i = 0; i < rows.size(); ++i) {
    const SweepRow& row = rows[i];
    json += (i ? ", " : "") + std::string("{\"speed\": ") + JsonNumber(row.requestedSpeed);
    if (!row.Measured()) {
      json += ", \"error\": " + JsonText(row.failure) + "}";
      continue;
    }
    json += ", \"fastSpeed\": " + JsonNumber(row.fastSpeed) +
            ", \"scanSeconds\": " + JsonNumber(row.scanSeconds) +
            ", \"slowFormUm\": " + JsonNumber(row.slowFormUm) +
            ", \"fastFormUm\": " + JsonNumber(row.fastFormUm) +
            ", \"formErrorUm\": " + JsonNumber(row.FormErrorUm()) +
            ", \"dynamicUm\": " + JsonNumber(row.dynamicUm) +
            ", \"residualUm\": " + JsonNumber(row.residualUm) +
            ", \"removed\": " + JsonNumber(row.RemovedFraction()) + "}";
  }
  return json + "]}\n";
}
