// Ageing of stored map pairs: a map file "_circle<n>.rsm" and its circle data file
// "_circle<n>.rsd" are deleted together once older than the TimeOut setting; temporary files
// an interrupted write left behind go by the same age rule. Nothing else in the folder is
// touched: no file of another name, and no folder whatever its name.
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "src/procedures/map_search.h"
#include "src/procedures/run_files.h"

namespace ombrixdc {

namespace fs = std::filesystem;

namespace {

struct Entry {
  fs::path path;
  MapPairFileName name;
  fs::file_time_type written;
  bool hasTime = false;
};

// The regular files of the folder named as map pair files or their temporaries.
std::vector<Entry> Listing(const fs::path& folder) {
  std::vector<Entry> entries;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::optional<MapPairFileName> name =
        ParseMapPairFileName(entry.path().filename().string());
    std::error_code statusError;
    if (!name || !entry.is_regular_file(statusError)) {
      continue;
    }
    std::error_code timeError;
    const fs::file_time_type written = entry.last_write_time(timeError);
    entries.push_back({entry.path(), *name, written, !timeError});
  }
  return entries;
}

// Whole seconds since the last write, turned into minutes; a file written in the future is
// never old.
constexpr double kMinutesPerSecond = 1.0 / 60.0;
constexpr int64_t kMinutesPerHour = 60;

bool IsOld(const Entry& entry, fs::file_time_type now, int64_t limitMinutes) {
  if (!entry.hasTime || !(now > entry.written)) {
    return false;
  }
  const int64_t seconds =
      std::chrono::duration_cast<std::chrono::seconds>(now - entry.written).count();
  const double ageMinutes = static_cast<double>(seconds) * kMinutesPerSecond;
  return ageMinutes > static_cast<double>(limitMinutes);
}

}  // namespace

int32_t AgeMapFiles(const fs::path& runFolder, int32_t ageLimitHours,
                    const std::function<bool(const fs::path&)>& remove) {
  const fs::file_time_type now = fs::file_time_type::clock::now();
  const int64_t limitMinutes = static_cast<int64_t>(ageLimitHours) * kMinutesPerHour;
  const std::vector<Entry> entries = Listing(runFolder);
  int32_t count = 0;
  const auto take = [&](const Entry& entry) {
    if (remove(entry.path)) {
      ++count;
      return true;
    }
    return false;
  };

  // A temporary is never part of a pair: each goes by its own age.
  for (const Entry& entry : entries) {
    if (entry.name.temporary && IsOld(entry, now, limitMinutes)) {
      take(entry);
    }
  }
  bool anyCircleData = false;
  std::vector<bool> taken(entries.size(), false);
  for (const Entry& entry : entries) {
    if (entry.name.temporary || !entry.name.circleData) {
      continue;
    }
    anyCircleData = true;
    if (!IsOld(entry, now, limitMinutes) || !take(entry)) {
      continue;
    }
    // The map file of the pair goes with it, whatever its own age; it is found by the same
    // rule as the listing's, without regard to case.
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const MapPairFileName& other = entries[i].name;
      if (!other.temporary && !other.circleData && other.mapNumber == entry.name.mapNumber &&
          !taken[i]) {
        taken[i] = true;
        take(entries[i]);
      }
    }
  }
  // Without any circle data file, map files are not examined.
  if (!anyCircleData) {
    return count;
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& entry = entries[i];
    if (!entry.name.temporary && !entry.name.circleData && !taken[i] &&
        IsOld(entry, now, limitMinutes)) {
      take(entry);
    }
  }
  return count;
}

int32_t DeleteOldMapFiles(const fs::path& runFolder, int32_t ageLimitHours) {
  return AgeMapFiles(runFolder, ageLimitHours, [](const fs::path& path) {
    std::error_code ec;
    return fs::remove(path, ec) && !ec;
  });
}

}  // namespace ombrixdc
