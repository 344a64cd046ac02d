#pragma once
// The run directory: where a run's map files, raw scan files and system settings file live.
#include <filesystem>
#include <optional>
#include <string>

namespace ombrixdc {

// The WorkingDirectory setting followed directly by the WorkingFolder property, with no
// separator inserted (an absent text counts as empty).
std::string FormRunDirectory(const std::optional<std::string>& workingDirectory,
                             const std::optional<std::string>& workingFolder);

// The folder a run directory text names. Settings files written for other platforms use
// backslashes, so both '\' and '/' separate folders.
std::filesystem::path RunDirectoryPath(const std::string& runDirectory);

// Creates the folder with all its missing parents. Failures are not reported here: a run
// that cannot use the folder fails later.
void CreateRunDirectory(const std::string& runDirectory);

// True when the text names an existing folder that can be listed and entered.
[[nodiscard]] bool IsAccessibleFolder(const std::optional<std::string>& runDirectory);

}  // namespace ombrixdc
