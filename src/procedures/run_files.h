#pragma once
// Names of the files of a run in its run directory (the process's current directory is never
// changed, so every name is resolved against the folder).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "src/engine/scan_kind.h"

namespace ombrixdc {

// "_circle<n>.rsm" and "_circle<n>.rsd".
std::filesystem::path MapFilePath(const std::filesystem::path& runFolder, int32_t mapNumber);
std::filesystem::path CircleDataFilePath(const std::filesystem::path& runFolder, int32_t mapNumber);

// What a file name of the run directory is as a part of a stored map pair.
struct MapPairFileName {
  int32_t mapNumber = 0;
  bool circleData = false;  // "_circle<n>.rsd"; the map file "_circle<n>.rsm" otherwise
  bool temporary = false;   // a temporary file of an interrupted or running write of it
};
// "_circle<n>.rsm" or "_circle<n>.rsd", n a map number as the pairs are numbered (1 or more,
// no leading zero), in any mix of case as a listing of the folder matches them, or a temporary
// file of such a name; none for every other name.
[[nodiscard]] std::optional<MapPairFileName> ParseMapPairFileName(std::string_view fileName);

// "ScanSlow.dat"/"ScanFast.dat": the tip centres of a scan.
std::filesystem::path RawScanFilePath(const std::filesystem::path& runFolder, ScanKind scan);
// "ProbeSlow.dat"/"ProbeFast.dat": the probe deflections of a scan.
std::filesystem::path ProbeFilePath(const std::filesystem::path& runFolder, ScanKind scan);

}  // namespace ombrixdc
