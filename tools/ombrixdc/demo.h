#pragma once
#include <string>

struct DemoOptions {
  std::string directory;  // empty: a folder in the system's temporary folder
};

// Runs the demonstration on the simulated machine; returns the process exit status.
int RunDemo(const DemoOptions& options);
