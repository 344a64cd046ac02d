#include "src/services/run_directory.h"

#include <unistd.h>

#include <algorithm>
#include <system_error>

namespace ombrixdc {

std::string FormRunDirectory(const std::optional<std::string>& workingDirectory,
                             const std::optional<std::string>& workingFolder) {
  return workingDirectory.value_or("") + workingFolder.value_or("");
}

std::filesystem::path RunDirectoryPath(const std::string& runDirectory) {
  std::string text = runDirectory;
  std::replace(text.begin(), text.end(), '\\', '/');
  return std::filesystem::path(text);
}

void CreateRunDirectory(const std::string& runDirectory) {
  if (runDirectory.empty()) {
    return;
  }
  std::error_code ignored;
  std::filesystem::create_directories(RunDirectoryPath(runDirectory), ignored);
}

bool IsAccessibleFolder(const std::optional<std::string>& runDirectory) {
  if (!runDirectory || runDirectory->empty()) {
    return false;
  }
  const std::filesystem::path path = RunDirectoryPath(*runDirectory);
  std::error_code ec;
  if (!std::filesystem::is_directory(path, ec)) {
    return false;
  }
  return ::access(path.c_str(), R_OK | X_OK) == 0;
}

}  // namespace ombrixdc
