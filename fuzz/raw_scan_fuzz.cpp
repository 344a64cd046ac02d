// The raw scan file reader on any bytes. The points it read are written and read back: no point
// may be lost, and from the second write on the bytes must no longer change.
#include "fuzz/fuzz_support.h"
#include "src/files/raw_scan_file.h"

using namespace ombrixdc;

namespace {

std::string Rewrite(const std::string& text, size_t* count) {
  TokenReader reader(text);
  const RawScanPoints points = ReadRawScanFile(reader);
  *count = points.x.Values().size();
  FUZZ_CHECK(points.y.Values().size() == *count && points.z.Values().size() == *count);
  return WriteRawScanFile(points.x, points.y, points.z);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t read = 0;
  size_t readBack = 0;
  const std::string first = Rewrite(fuzz::Text(data, size), &read);
  const std::string second = Rewrite(first, &readBack);
  FUZZ_CHECK(readBack == read);
  FUZZ_CHECK(Rewrite(second, &readBack) == second);
  return 0;
}
