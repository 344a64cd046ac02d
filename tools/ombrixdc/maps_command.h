#pragma once
// `ombrixdc maps list|show|check|prune`: what stored map pairs a run directory holds, the
// picture of one, whether all are sound, and their removal by the age rule a run applies.
#include <CLI/CLI.hpp>

void AddMapsCommand(CLI::App& app);
