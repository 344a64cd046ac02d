#pragma once
// `ombrixdc sweep`: how fast may a feature be scanned? At each fast speed given, learn the
// map, measure compensated, and recommend the highest speed whose compensated residual stays
// within a limit (see sweep_table.h for what is measured).
#include <CLI/CLI.hpp>

void AddSweepCommand(CLI::App& app);
