#include "tools/ombrixdc/run_summary.h"

#include <cmath>
#include <cstdio>

#include "tools/ombrixdc/json_text.h"
#include "tools/ombrixdc/number_text.h"

using namespace ombrixdc;

namespace {

constexpr const char* kDataSetNames[kDataTypeCount] = {"Slow",    "Fast",    "Corrected",
                                                       "SlowMap", "FastMap", "CorrectedMap"};

}  // namespace

RunSummary SummariseRun(CircleDCComponent& c) {
  RunSummary summary;
  for (int32_t type = 0; type < kDataTypeCount; ++type) {
    summary.dataSets[type].name = kDataSetNames[type];
  }
  // One read: the directory, map and data sets of the same run.
  const PublishedRunResults results = c.Results();
  if (!results) {
    return summary;
  }
  summary.runDirectory = results->runDirectory;
  summary.mapNumber = results->mapNumber;
  summary.mapUse = results->mapUse == MapUse::Written ? "written"
                   : results->mapUse == MapUse::Used  ? "used"
                                                      : "none";
  for (int32_t type = 0; type < kDataTypeCount; ++type) {
    if (std::optional<DataSetPoints> fit = DataSetPointsOf(*results, type)) {
      fit->x.clear();
      fit->y.clear();
      fit->z.clear();
      summary.dataSets[type].fit = std::move(fit);
    }
  }
  return summary;
}

std::vector<std::string> SummaryLines(const RunSummary& summary) {
  std::vector<std::string> lines;
  lines.push_back("RunDirectory " + summary.runDirectory);
  lines.push_back("MapNumber " + std::to_string(summary.mapNumber) + " " + summary.mapUse);
  for (const DataSetSummary& set : summary.dataSets) {
    std::string line = std::string("DataSet ") + set.name;
    if (!set.fit) {
      lines.push_back(line + " none");
      continue;
    }
    const CMaPoint& centre = set.fit->centre;
    line += " centre " + ShortestText(centre.x()) + " " + ShortestText(centre.y()) + " " +
            ShortestText(centre.z()) + " radius " + ShortestText(set.fit->radius) + " form " +
            ShortestText(set.fit->form);
    lines.push_back(line);
  }
  return lines;
}

std::string SummaryJson(const std::vector<std::string>& transcript,
                        const std::optional<RunSummary>& summary) {
  std::string json = "{\"transcript\": [";
  for (size_t i = 0; i < transcript.size(); ++i) {
    json += (i ? ", " : "") + JsonText(transcript[i]);
  }
  json += "]";
  if (summary) {
    json += ", \"runDirectory\": " + JsonText(summary->runDirectory);
    json += ", \"mapNumber\": " + std::to_string(summary->mapNumber);
    json += ", \"map\": " + JsonText(summary->mapUse);
    json += ", \"dataSets\": [";
    for (size_t i = 0; i < summary->dataSets.size(); ++i) {
      const DataSetSummary& set = summary->dataSets[i];
      json += i ? ", " : "";
      json += "{\"name\": " + JsonText(set.name);
      if (set.fit) {
        const CMaPoint& centre = set.fit->centre;
        json += ", \"centre\": [" + JsonNumber(centre.x()) + ", " + JsonNumber(centre.y()) + ", " +
                JsonNumber(centre.z()) + "], \"radius\": " + JsonNumber(set.fit->radius) +
                ", \"form\": " + JsonNumber(set.fit->form);
      }
      json += "}";
    }
    json += "]";
  }
  return json + "}\n";
}
