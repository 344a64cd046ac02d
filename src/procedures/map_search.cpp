#include "src/procedures/map_search.h"

#include <system_error>

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
    if (result.error != ErrorNumber::None) {
      search.error = result.error;
    }
  }
}

int32_t NextFreeMapNumber(const std::filesystem::path& runFolder) {
  int32_t n = 1;
  // Only a file is a map: a folder of a map file's name ends the numbers as a gap does.
  std::error_code ec;
  while (std::filesystem::is_regular_file(MapFilePath(runFolder, n), ec)) {
    ++n;
  }
  return n;
}

}  // namespace ombrixdc
