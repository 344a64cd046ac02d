#pragma once
// Names of the files of a run, resolved against the component's run directory (the process's
// current directory is never changed).
#include <cstdint>
#include <filesystem>

#include "src/files/map_file.h"

class CircleDCComponent;

// The run directory as a folder path; empty (the current directory) when none was formed.
std::filesystem::path RunFolder(const CircleDCComponent& c);
// "_circle<n>.rsm" and "_circle<n>.rsd" in the run directory.
std::filesystem::path MapFilePath(const CircleDCComponent& c, int32_t mapNumber);
std::filesystem::path CircleDataFilePath(const CircleDCComponent& c, int32_t mapNumber);

// The current feature and settings as a map file header.
MapFileHeader CurrentMapFileHeader(const CircleDCComponent& c);
// The process's matching tolerances.
MatchTolerances CurrentMatchTolerances();
