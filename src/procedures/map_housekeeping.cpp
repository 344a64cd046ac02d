// Ageing of stored map pairs: a map file "_circle<n>.rsm" and its circle data file
// "_circle<n>.rsd" are deleted together once older than the TimeOut setting.
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/text/ascii.h"
#include "src/procedures/map_search.h"

namespace ombrixdc {

namespace fs = std::filesystem;

namespace {

bool HasExtension(const fs::directory_entry& entry, const char* extension) {
  return AsciiEqualsIgnoringCase(entry.path().extension().string(), extension);
}

// Entries of the folder with the extension, skipping folders that cannot be written.
std::vector<fs::directory_entry> Listing(const fs::path& folder, const char* extension) {
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (!HasExtension(entry, extension)) {
      continue;
    }
    std::error_code statusError;
    const auto status = entry.status(statusError);
    const bool readOnly = (status.permissions() & fs::perms::owner_write) == fs::perms::none;
    if (entry.is_directory(statusError) && readOnly) {
      continue;
    }
    entries.push_back(entry);
  }
  return entries;
}

// Whole seconds since the last write, turned into minutes; a file written in the future is
// never old.
constexpr double kMinutesPerSecond = 1.0 / 60.0;
constexpr int64_t kMinutesPerHour = 60;

bool IsOld(const fs::directory_entry& entry, fs::file_time_type now, int64_t limitMinutes) {
  std::error_code ec;
  const fs::file_time_type written = entry.last_write_time(ec);
  if (ec || !(now > written)) {
    return false;
  }
  const int64_t seconds = std::chrono::duration_cast<std::chrono::seconds>(now - written).count();
  const double ageMinutes = static_cast<double>(seconds) * kMinutesPerSecond;
  return ageMinutes > static_cast<double>(limitMinutes);
}

bool Delete(const fs::path& path) {
  std::error_code ec;
  return fs::remove(path, ec) && !ec;
}

}  // namespace

int32_t DeleteOldMapFiles(const fs::path& runFolder, int32_t ageLimitHours) {
  const fs::file_time_type now = fs::file_time_type::clock::now();
  const int64_t limitMinutes = static_cast<int64_t>(ageLimitHours) * kMinutesPerHour;
  int32_t count = 0;

  const auto circleDataFiles = Listing(runFolder, ".rsd");
  if (circleDataFiles.empty()) {
    return 0;
  }
  for (const auto& entry : circleDataFiles) {
    if (!IsOld(entry, now, limitMinutes) || !Delete(entry.path())) {
      continue;
    }
    ++count;
    // The map file of the pair goes with it, whatever its own age.
    fs::path mapFile = entry.path();
    std::string name = mapFile.filename().string();
    name.back() = 'm';
    mapFile.replace_filename(name);
    if (Delete(mapFile)) {
      ++count;
    }
  }
  for (const auto& entry : Listing(runFolder, ".rsm")) {
    if (IsOld(entry, now, limitMinutes) && Delete(entry.path())) {
      ++count;
    }
  }
  return count;
}

}  // namespace ombrixdc
