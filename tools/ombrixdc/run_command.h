#pragma once
// `ombrixdc run`: drives one component as a measuring application would.
#include <CLI/CLI.hpp>

void AddRunCommand(CLI::App& app);
