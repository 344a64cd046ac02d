// Ageing of stored map pairs: a map file "_circle<n>.rsm" and its circle data file
// "_circle<n>.rsd" are deleted together once older than the TimeOut setting.
#include <cctype>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "src/procedures/procedures.h"

namespace fs = std::filesystem;

namespace {

bool HasExtension(const fs::directory_entry& entry, const char* extension) {
  std::string ext = entry.path().extension().string();
  for (char& c : ext)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == extension;
}

// Entries of the folder with the extension, skipping folders that cannot be written.
std::vector<fs::directory_entry> Listing(const fs::path& folder, const char* extension) {
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (!HasExtension(entry, extension))
      continue;
    std::error_code statusError;
    const auto status = entry.status(statusError);
    const bool readOnly = (status.permissions() & fs::perms::owner_write) == fs::perms::none;
    if (entry.is_directory(statusError) && readOnly)
      continue;
    entries.push_back(entry);
  }
  return entries;
}

// Whole seconds since the last write, turned into minutes; a file written in the future is
// never old.
bool IsOld(const fs::directory_entry& entry, fs::file_time_type now, int64_t limitMinutes) {
  std::error_code ec;
  const fs::file_time_type written = entry.last_write_time(ec);
  if (ec || !(now > written))
    return false;
  const int64_t seconds = std::chrono::duration_cast<std::chrono::seconds>(now - written).count();
  const double ageMinutes = static_cast<double>(seconds) * 0.016666666666666666;
  return ageMinutes > static_cast<double>(limitMinutes);
}

bool Delete(const fs::path& path) {
  std::error_code ec;
  return fs::remove(path, ec) && !ec;
}

}  // namespace

int32_t DeleteOldMapFiles(const fs::path& runDirectory, int32_t ageLimitHours) {
  const fs::file_time_type now = fs::file_time_type::clock::now();
  const int64_t limitMinutes = static_cast<int64_t>(ageLimitHours) * 60;
  int32_t count = 0;

  const auto circleDataFiles = Listing(runDirectory, ".rsd");
  if (circleDataFiles.empty())
    return 0;
  for (const auto& entry : circleDataFiles) {
    if (!IsOld(entry, now, limitMinutes) || !Delete(entry.path()))
      continue;
    ++count;
    // The map file of the pair goes with it, whatever its own age.
    fs::path mapFile = entry.path();
    std::string name = mapFile.filename().string();
    name.back() = 'm';
    mapFile.replace_filename(name);
    if (Delete(mapFile))
      ++count;
  }
  for (const auto& entry : Listing(runDirectory, ".rsm")) {
    if (IsOld(entry, now, limitMinutes) && Delete(entry.path()))
      ++count;
  }
  return count;
}
