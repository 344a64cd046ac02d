#pragma once
// What a finished run gives its user: where its files are, which stored map it used or wrote,
// and the fitted circle of each data set.
//
// Text form, one line each, numbers as the command line prints them (shortest text that reads
// back to the same double), lengths in the measuring unit:
//   RunDirectory <path>
//   MapNumber <n> written|used         (0 none when the run stored and used no map)
//   DataSet <Name> centre <x> <y> <z> radius <r> form <f>
//   DataSet <Name> none                (no data of that type)
// for the six data sets Slow, Fast, Corrected, SlowMap, FastMap, CorrectedMap in that order.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "src/component/circle_dc_component.h"

struct DataSetSummary {
  const char* name;
  std::optional<ombrixdc::DataSetPoints> fit;  // centre, radius and form; points left empty
};

struct RunSummary {
  std::string runDirectory;
  int32_t mapNumber = 0;
  const char* mapUse = "none";  // "written", "used" or "none"
  std::array<DataSetSummary, ombrixdc::kDataTypeCount> dataSets;
};

// The last run's results as the component published them.
RunSummary SummariseRun(ombrixdc::CircleDCComponent& c);

std::vector<std::string> SummaryLines(const RunSummary& summary);
// One JSON object: {"transcript": [...lines...], "runDirectory": ..., "mapNumber": ...,
// "map": ..., "dataSets": [{"name", "centre": [x, y, z], "radius", "form"} or null]}.
// `summary` is absent when the run did not finish.
std::string SummaryJson(const std::vector<std::string>& transcript,
                        const std::optional<RunSummary>& summary);
