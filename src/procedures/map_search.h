#pragma once
// Finding the stored map pair of a feature, the number a new pair takes, and the ageing of
// stored pairs. The search walks the map files 1, 2, 3, ... and stops at the first number
// without a map file.
#include <cstdint>
#include <filesystem>
#include <functional>

#include "src/files/map_file.h"

namespace ombrixdc {

struct [[nodiscard]] MapSearchResult {
  int32_t mapNumber = 0;  // the first matching map, 0 when none matches
  // StoredMapUnusable when a map's header matched as far as it could be read but a number in
  // it could not: the feature's map is damaged. The search went on past it.
  ErrorNumber error = ErrorNumber::None;
};

MapSearchResult FindMatchingMap(const std::filesystem::path& runFolder,
                                const MapFileHeader& feature, const MatchTolerances& tolerances,
                                MapComparison comparison);

// The smallest map number whose map file does not exist (a circle data file alone does not
// take a number).
int32_t NextFreeMapNumber(const std::filesystem::path& runFolder);

// Deletes map pairs of the folder older than the age limit, and temporaries of their writes
// that an interruption left behind; returns how many files went. Only regular files named as
// map pair files are looked at.
int32_t DeleteOldMapFiles(const std::filesystem::path& runFolder, int32_t ageLimitHours);

// The same rule with the removal in the caller's hands (to show what would go, or report what
// went): `remove` is called on each file the rule takes, in order, and says whether it went; a
// circle data file that did not go takes no map file with it. Returns how many went.
int32_t AgeMapFiles(const std::filesystem::path& runFolder, int32_t ageLimitHours,
                    const std::function<bool(const std::filesystem::path&)>& remove);

}  // namespace ombrixdc
