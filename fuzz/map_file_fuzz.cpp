// The map file reader (header, the three map blocks and the matcher) on any bytes. What it read
// is written and read back: the written file must read without error and be found again by the
// feature it was written for, and from the second write on the bytes must no longer change.
// (Not from the first: a tiny negative prints as -0.000000 without the sign space that the -0.0
// it reads back as gets.)
#include "fuzz/fuzz_support.h"
#include "src/files/map_file.h"

using namespace ombrixdc;

namespace {

// The file as the writer writes what the readers read from `text`.
std::string Rewrite(const std::string& text, MapFileHeaderResult* header) {
  TokenReader headerReader(text);
  *header = ReadMapFileHeader(headerReader);
  TokenReader dataReader(text);
  const MapDataResult data = ReadMapData(dataReader);
  if (header->error == ErrorNumber::None) {
    header->error = data.error;
  }
  for (const MapComparison comparison : {MapComparison::Full, MapComparison::Relaxed}) {
    TokenReader matchReader(text);
    // On any bytes the matcher only has to come back; its answer is checked below.
    (void)MatchMapFile(matchReader, header->header, MatchTolerances{}, comparison);
  }
  return WriteMapFile(header->header, data.slots);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MapFileHeaderResult read;
  const std::string first = Rewrite(fuzz::Text(data, size), &read);
  const std::string second = Rewrite(first, &read);
  FUZZ_CHECK(read.error == ErrorNumber::None);  // whatever the writer writes reads back
  FUZZ_CHECK(Rewrite(second, &read) == second);
  // NaN matches nothing, and neither does a normal or x-axis with no direction.
  const MapFileHeader& h = read.header;
  if (second.find("nan") == std::string::npos && second.find("inf") == std::string::npos &&
      !h.normal.IsZero(0.0) && !h.xaxis.IsZero(0.0)) {
    TokenReader reader(second);
    const MapMatchResult match = MatchMapFile(reader, h, MatchTolerances{}, MapComparison::Full);
    FUZZ_CHECK(match.matches && match.error == ErrorNumber::None);
  }
  return 0;
}
