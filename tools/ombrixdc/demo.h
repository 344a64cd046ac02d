#pragma once
#include <filesystem>
#include <optional>
#include <string>

struct DemoOptions {
  std::string directory;  // empty: a folder in the system's temporary folder
};

// Runs the demonstration on the simulated machine; returns the process exit status.
int RunDemo(const DemoOptions& options);

// Writes the demonstration machine's settings file (OmbrixDC.ini, its run files in `folder`)
// into `folder`; its path, or nothing (with the reason on standard error) when it cannot be
// written.
std::optional<std::filesystem::path> WriteDemoSettingsFile(const std::filesystem::path& folder);
