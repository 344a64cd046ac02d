#include "tools/ombrixdc/run_summary.h"

#include <cmath>
#include <cstdio>

#include "src/component/process_state.h"
#include "tools/ombrixdc/number_text.h"

using namespace ombrixdc;

namespace fs = std::filesystem;

namespace {

constexpr const char* kDataSetNames[kDataTypeCount] = {"Slow",    "Fast",    "Corrected",
                                                       "SlowMap", "FastMap", "CorrectedMap"};

// The number N of a map file named "_circleN.rsm", or 0.
int32_t MapFileNumber(const fs::path& file) {
  const std::string name = file.filename().string();
  constexpr std::string_view prefix = "_circle";
  if (file.extension() != ".rsm" || name.rfind(prefix, 0) != 0) {
    return 0;
  }
  const std::string digits = file.stem().string().substr(prefix.size());
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
      digits.size() > 9) {
    return 0;
  }
  return std::stoi(digits);
}

std::string JsonText(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// JSON has no infinity or not-a-number; such a value is written as null.
std::string JsonNumber(double value) {
  return std::isfinite(value) ? ShortestText(value) : "null";
}

}  // namespace

MapFileTimes ReadMapFileTimes(const fs::path& runDirectory) {
  MapFileTimes times;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(runDirectory, ec)) {
    if (const int32_t n = MapFileNumber(entry.path())) {
      times[n] = entry.last_write_time(ec);
    }
  }
  return times;
}

RunSummary SummariseRun(CircleDCComponent& c, const MapFileTimes& before) {
  RunSummary summary;
  summary.runDirectory = c.RunDirectory.Get().value_or("");
  for (const auto& [n, time] : ReadMapFileTimes(summary.runDirectory)) {
    const auto old = before.find(n);
    if (old == before.end() || old->second != time) {
      summary.mapNumber = n;
      summary.mapUse = "written";
    }
  }
  if (summary.mapNumber == 0 && ProcessRunControlState().mapNumber > 0) {
    summary.mapNumber = ProcessRunControlState().mapNumber;
    summary.mapUse = "used";
  }
  for (int32_t type = 0; type < kDataTypeCount; ++type) {
    DataSetSummary& set = summary.dataSets[type];
    set.name = kDataSetNames[type];
    if (c.DataSets[type].Get().radii.IsEmpty()) {
      continue;  // GetData would record "no data" as an error
    }
    DataSetPoints points;
    LONG success = 0;
    c.GetData(type, &points, &success);
    if (success) {
      points.x.clear();
      points.y.clear();
      points.z.clear();
      set.fit = points;
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
