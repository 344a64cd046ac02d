// Finding the stored map of the feature, and the number of a new one. Both walk the map files
// 1, 2, 3, ... and stop at the first number without a map file.
#include <fstream>

#include "src/component/circle_dc_component.h"
#include "src/procedures/map_search.h"
#include "src/procedures/procedures.h"
#include "src/procedures/run_files.h"

int32_t FindMatchingMap(CircleDCComponent& c, int32_t comparisonMode) {
  const MapFileHeader current = CurrentMapFileHeader(c);
  const MatchTolerances tolerances = CurrentMatchTolerances();
  for (int32_t n = 1;; ++n) {
    std::optional<TokenReader> reader = TokenReader::FromFile(MapFilePath(c, n));
    if (!reader)
      return 0;
    const MapMatchResult result =
        MatchMapFile(*reader, current, tolerances, comparisonMode == kRelaxedComparison);
    if (result.matches)
      return n;
    if (result.readError)
      c.FailRun(static_cast<int32_t>(ErrorNumber::StoredMapUnusable));
  }
}

int32_t NextFreeMapNumber(const CircleDCComponent& c) {
  int32_t n = 1;
  while (std::ifstream(MapFilePath(c, n)).is_open())
    ++n;
  return n;
}
