#pragma once
// `ombrixdc view [FILE] [--ini PATH]`: opens the Radial Error View on a data sets file (or
// empty) and returns when the window is closed.
#include <CLI/CLI.hpp>

void AddViewCommand(CLI::App& app);
