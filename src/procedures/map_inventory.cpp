#include "src/procedures/map_inventory.h"

#include <chrono>
#include <fstream>
#include <map>
#include <system_error>

#include "src/files/folder_lock.h"
#include "src/procedures/map_search.h"
#include "src/procedures/run_files.h"
#include "src/procedures/stored_pair_grid.h"

namespace ombrixdc {

namespace fs = std::filesystem;

namespace {

struct Found {
  std::vector<fs::directory_entry> mapFiles, circleDataFiles;
};

std::map<int32_t, Found> FilesByNumber(const fs::path& folder) {
  std::map<int32_t, Found> numbers;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const auto name = ParseMapPairFileName(entry.path().filename().string());
    if (!name || name->temporary) {
      continue;
    }
    Found& found = numbers[name->mapNumber];
    (name->circleData ? found.circleDataFiles : found.mapFiles).push_back(entry);
  }
  return numbers;
}

std::string FirstLine(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  return line;
}

// One file of the pair: none, exactly one regular file, or a problem.
const fs::directory_entry* OneFile(const std::vector<fs::directory_entry>& entries,
                                   const char* what, StoredMap& record) {
  if (entries.empty()) {
    record.problems.push_back(std::string("no ") + what);
    return nullptr;
  }
  if (entries.size() > 1) {
    record.problems.push_back(std::string("more than one ") + what + " (names differing in case)");
  }
  std::error_code ec;
  if (!entries.front().is_regular_file(ec)) {
    record.problems.push_back(entries.front().path().filename().string() + " is not a file");
    return nullptr;
  }
  return &entries.front();
}

void ReadMapFile(const fs::path& path, StoredMap& record) {
  record.headerRead = true;
  record.mapTitle = FirstLine(path);
  std::optional<TokenReader> reader = TokenReader::FromFile(path);
  if (!reader) {
    record.problems.push_back("map file cannot be read");
    return;
  }
  TokenReader dataReader = *reader;
  const MapFileHeaderResult header = ReadMapFileHeader(*reader);
  record.header = header.header;
  const MapDataResult data = ReadMapData(dataReader);
  record.slots = data.slots;
  record.points = data.slots[MapSlotIndex::DcMapData].values.GetSize();
  if (header.error != ErrorNumber::None || data.error != ErrorNumber::None) {
    record.problems.push_back("map file damaged: a number cannot be read");
  }
}

void ReadCircleData(const fs::path& path, StoredMap& record) {
  record.circleDataTitle = FirstLine(path);
  std::optional<TokenReader> reader = TokenReader::FromFile(path);
  if (!reader) {
    record.problems.push_back("circle data file cannot be read");
    return;
  }
  const CircleDataResult read = ReadCircleDataFile(*reader);
  record.circleData = read.data;
  if (read.error != ErrorNumber::None) {
    record.problems.push_back("circle data file damaged: a number cannot be read");
  }
}

// A readable pair whose parts do not fit together: every block on the grid of the map's
// pitch and radius.
void CheckConsistency(StoredMap& record) {
  const StoredPairGrid grid = CheckStoredPairGrid(record.header, record.slots, record.circleData);
  if (!grid.gridDefined) {
    record.problems.push_back("map pitch and radius give no angle grid");
    return;
  }
  const char* names[kMapSlotCount] = {"PreMapData", "DcMapData", "PremappedDcMapData"};
  for (std::size_t k = 0; k < kMapSlotCount; ++k) {
    if (!grid.slotOnGrid[k]) {
      record.problems.push_back(std::string(names[k]) +
                                " is not on the grid of the map's pitch and radius");
    }
  }
  if (!grid.circleDataOnGrid) {
    record.problems.push_back("circle data file is not on the map's grid");
  }
}

double AgeHours(const fs::directory_entry* a, const fs::directory_entry* b) {
  std::optional<fs::file_time_type> newest;
  for (const fs::directory_entry* entry : {a, b}) {
    std::error_code ec;
    if (entry) {
      const fs::file_time_type written = entry->last_write_time(ec);
      if (!ec && (!newest || written > *newest)) {
        newest = written;
      }
    }
  }
  if (!newest) {
    return 0.0;
  }
  const auto age = fs::file_time_type::clock::now() - *newest;
  return std::chrono::duration<double, std::ratio<3600>>(age).count();
}

}  // namespace

std::optional<std::string> RunDirectoryProblem(const fs::path& runFolder) {
  std::error_code ec;
  if (!fs::is_directory(runFolder, ec)) {
    return "no such run directory: " + runFolder.string();
  }
  fs::directory_iterator(runFolder, ec);
  if (ec) {
    return "cannot read the run directory " + runFolder.string() + ": " + ec.message();
  }
  return std::nullopt;
}

std::vector<StoredMap> ListStoredMaps(const fs::path& runFolder) {
  // Read while no run replaces a pair, so that both files of a record are of one run.
  const FolderLock lock(runFolder, FolderLock::Kind::Shared);
  const int32_t firstGap = NextFreeMapNumber(runFolder);
  std::vector<StoredMap> records;
  for (const auto& [number, found] : FilesByNumber(runFolder)) {
    StoredMap record;
    record.mapNumber = number;
    record.reachable = number < firstGap;
    if (!found.mapFiles.empty()) {
      record.mapFile = found.mapFiles.front().path().filename().string();
    }
    if (!found.circleDataFiles.empty()) {
      record.circleDataFile = found.circleDataFiles.front().path().filename().string();
    }
    const fs::directory_entry* map = OneFile(found.mapFiles, "map file", record);
    const fs::directory_entry* circle = OneFile(found.circleDataFiles, "circle data file", record);
    record.complete = map && circle;
    const std::size_t before = record.problems.size();
    if (map) {
      ReadMapFile(map->path(), record);
    }
    if (circle) {
      ReadCircleData(circle->path(), record);
    }
    record.readable = record.complete && record.problems.size() == before;
    if (record.readable) {
      CheckConsistency(record);
    }
    record.ageHours = AgeHours(map, circle);
    records.push_back(std::move(record));
  }
  return records;
}

std::vector<StoredMapField> StoredMapFields(const StoredMap& map) {
  std::vector<StoredMapField> fields = {
      {"number", int64_t{map.mapNumber}},
      {"mapFile", map.mapFile},
      {"circleDataFile", map.circleDataFile},
      {"complete", map.complete},
      {"readable", map.readable},
      {"sound", map.Sound()},
      {"reachable", map.reachable},
      {"problems", map.problems},
  };
  if (map.headerRead) {
    const MapFileHeader& h = map.header;
    const std::vector<StoredMapField> header = {
        {"feature", std::string(h.boreOrBoss == 1 ? "boss" : "bore")},
        {"radius", h.radius},
        {"unit", std::string(h.measuringUnit == 1 ? "inches" : "mm")},
        {"scanDirection", std::string(h.scanDirection == 1 ? "anticlockwise" : "clockwise")},
        {"slowSpeed", h.slowSpeed},
        {"fastSpeed", h.fastSpeed},
        {"filterMethod", int64_t{h.filterMethod}},
        {"filterNumber", int64_t{h.filterNumber}},
        {"mapPitch", h.mapPitch},
        {"dcStartAngle", h.dcStartAngle},
        {"mode", int64_t{h.mode}},
        {"points", static_cast<int64_t>(map.points)},
        {"mapTitle", map.mapTitle},
    };
    fields.insert(fields.end(), header.begin(), header.end());
  }
  if (!map.circleDataTitle.empty()) {
    fields.push_back({"circleDataTitle", map.circleDataTitle});
  }
  fields.push_back({"ageHours", map.ageHours});
  return fields;
}

}  // namespace ombrixdc
