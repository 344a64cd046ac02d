#include "src/procedures/map_search.h"

#include <fstream>

#include "src/procedures/run_files.h"

namespace ombrixdc {

MapSearchResult FindMatchingMap(const std::filesystem::path& runFolder,
                                const MapFileHeader& feature, const MatchTolerances& tolerances,
                                MapComparison comparison) {
  MapSearchResult search;
  for (int32_t n = 1;; ++n) {
    std::optional<TokenReader> reader = TokenReader::FromFile(MapFilePath(runFolder, n));
    if (!reader) {
      return search;
    }
    const MapMatchResult result = MatchMapFile(*reader, feature, tolerances, comparison);
    if (result.matches) {
      search.mapNumber = n;
      return search;
    }
    if (result.readError) {
      search.damagedMatch = true;
    }
  }
}

int32_t NextFreeMapNumber(const std::filesystem::path& runFolder) {
  int32_t n = 1;
  while (std::ifstream(MapFilePath(runFolder, n)).is_open()) {
    ++n;
  }
  return n;
}

}  // namespace ombrixdc
