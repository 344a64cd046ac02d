#pragma once
// What a run directory holds in stored map pairs, for the tools that show, check and prune
// them: one record per map number named in the folder, complete or not, readable or not.
// Nothing is skipped: a damaged file, a file without its partner and a folder under a map
// file's name each give a record that says what is wrong.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "src/engine/map_slots.h"
#include "src/files/circle_data_file.h"
#include "src/files/map_file.h"

namespace ombrixdc {

struct StoredMap {
  int32_t mapNumber = 0;
  std::string mapFile;         // the map file's name as listed; empty when there is none
  std::string circleDataFile;  // the circle data file's name as listed; empty when none
  bool complete = false;       // both files are there, and are files
  bool readable = false;       // both read to their end without a damaged number
  // A run's search walks the numbers from 1 and stops at the first without a map file: a
  // pair beyond such a gap is never used.
  bool reachable = false;
  // What makes the pair incomplete, unreadable or inconsistent; empty when it is sound.
  std::vector<std::string> problems;
  bool headerRead = false;  // the map file was there to read its header from
  MapFileHeader header;     // as read (defaults where the map file could not be read)
  std::string mapTitle;     // the first line of each file
  std::string circleDataTitle;
  double ageHours = 0.0;   // since the newer of the two files was last written
  MapSlots slots;          // the map as read
  CircleData circleData;   // the reference data as read
  std::size_t points = 0;  // grid angles of the map (DcMapData)

  bool Sound() const { return problems.empty(); }
};

// Why a folder cannot be listed as a run directory (it is missing, is no folder, or cannot be
// read), or nothing when it can: a folder that cannot be read must not pass as one without
// maps.
std::optional<std::string> RunDirectoryProblem(const std::filesystem::path& runFolder);

// Every map number named in the folder, in increasing order. A folder that cannot be listed
// gives none (RunDirectoryProblem says why).
std::vector<StoredMap> ListStoredMaps(const std::filesystem::path& runFolder);

// A record as named values, the one list that the command line's JSON and the Python module's
// dictionaries are made from: number, mapFile, circleDataFile, complete, readable, sound,
// reachable, problems, then (when the map file was read) feature ("bore" or "boss"), radius,
// unit ("mm" or "inches"), scanDirection ("clockwise" or "anticlockwise"), slowSpeed,
// fastSpeed, filterMethod, filterNumber, mapPitch, dcStartAngle, mode, points, mapTitle, and
// circleDataTitle (when that file was read) and ageHours.
using StoredMapValue = std::variant<bool, int64_t, double, std::string, std::vector<std::string>>;
struct StoredMapField {
  std::string key;
  StoredMapValue value;
};
std::vector<StoredMapField> StoredMapFields(const StoredMap& map);

}  // namespace ombrixdc
