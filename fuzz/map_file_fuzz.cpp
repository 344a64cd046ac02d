// The map file reader (header, the three map blocks and the matcher) on any bytes; what it read,
// written and read again, must write the same bytes.
#include "fuzz/fuzz_support.h"
#include "src/files/map_file.h"

using namespace ombrixdc;

namespace {

struct MapRead {
  MapFileHeader header;
  MapSlots slots;
  bool readError = false;
};

MapRead Read(const std::string& text) {
  TokenReader headerReader(text);
  const MapFileHeaderResult header = ReadMapFileHeader(headerReader);
  TokenReader dataReader(text);
  const MapDataResult data = ReadMapData(dataReader);
  return {header.header, data.slots, header.readError || data.readError};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz::Text(data, size);
  const MapRead first = Read(text);
  for (const MapComparison comparison : {MapComparison::Full, MapComparison::Relaxed}) {
    TokenReader matchReader(text);
    MatchMapFile(matchReader, first.header, MatchTolerances{}, comparison);
  }
  const std::string written = WriteMapFile(first.header, first.slots);
  const MapRead second = Read(written);
  FUZZ_CHECK(!second.readError);  // whatever the writer writes reads back
  FUZZ_CHECK(WriteMapFile(second.header, second.slots) == written);
  return 0;
}
