#pragma once
// Finding the stored map pair of a feature, the number a new pair takes, and the ageing of
// stored pairs. The search walks the map files 1, 2, 3, ... and stops at the first number
// without a map file.
#include <cstdint>
#include <filesystem>

#include "src/files/map_file.h"

namespace ombrixdc {

struct [[nodiscard]] MapSearchResult {
  int32_t mapNumber = 0;  // the first matching map, 0 when none matches
  // A map's header matched as far as it could be read but a number in it could not: the
  // feature's map is damaged (StoredMapUnusable). The search went on past it.
  bool damagedMatch = false;
};

MapSearchResult FindMatchingMap(const std::filesystem::path& runFolder,
                                const MapFileHeader& feature, const MatchTolerances& tolerances,
                                MapComparison comparison);

// The smallest map number whose map file does not exist (a circle data file alone does not
// take a number).
int32_t NextFreeMapNumber(const std::filesystem::path& runFolder);

// Deletes map pairs of the folder older than the age limit; returns how many files went.
int32_t DeleteOldMapFiles(const std::filesystem::path& runFolder, int32_t ageLimitHours);

}  // namespace ombrixdc
