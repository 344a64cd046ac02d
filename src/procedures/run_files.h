#pragma once
// Names of the files of a run in its run directory (the process's current directory is never
// changed, so every name is resolved against the folder).
#include <cstdint>
#include <filesystem>

#include "src/engine/scan_kind.h"

namespace ombrixdc {

// "_circle<n>.rsm" and "_circle<n>.rsd".
std::filesystem::path MapFilePath(const std::filesystem::path& runFolder, int32_t mapNumber);
std::filesystem::path CircleDataFilePath(const std::filesystem::path& runFolder, int32_t mapNumber);
// "ScanSlow.dat"/"ScanFast.dat": the tip centres of a scan.
std::filesystem::path RawScanFilePath(const std::filesystem::path& runFolder, ScanKind scan);
// "ProbeSlow.dat"/"ProbeFast.dat": the probe deflections of a scan.
std::filesystem::path ProbeFilePath(const std::filesystem::path& runFolder, ScanKind scan);

}  // namespace ombrixdc
