// The raw scan file reader on any bytes; the points it read, written and read again, must write
// the same bytes.
#include "fuzz/fuzz_support.h"
#include "src/files/raw_scan_file.h"

using namespace ombrixdc;

namespace {

RawScanPoints Read(const std::string& text) {
  TokenReader reader(text);
  return ReadRawScanFile(reader);
}

std::string Write(const RawScanPoints& points) {
  return WriteRawScanFile(points.x, points.y, points.z);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const RawScanPoints first = Read(fuzz::Text(data, size));
  FUZZ_CHECK(first.x.Values().size() == first.y.Values().size());
  FUZZ_CHECK(first.x.Values().size() == first.z.Values().size());
  const std::string written = Write(first);
  const RawScanPoints second = Read(written);
  FUZZ_CHECK(second.x.Values().size() == first.x.Values().size());  // no point lost
  FUZZ_CHECK(Write(second) == written);
  return 0;
}
