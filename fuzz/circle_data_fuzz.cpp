// The circle data file reader on any bytes. Each block's centre is written as the data set's
// fitted centre moved by slowCentre, so only the data sets are expected to survive a second
// write and read unchanged; the written file must always read back.
#include "fuzz/fuzz_support.h"
#include "src/files/circle_data_file.h"

using namespace ombrixdc;

namespace {

CircleDataResult Read(const std::string& text) {
  TokenReader reader(text);
  return ReadCircleDataFile(reader);
}

bool SameSet(const DataSet& a, const DataSet& b) {
  return fuzz::Same(a.radii.Values(), b.radii.Values()) &&
         fuzz::Same(a.angles.Values(), b.angles.Values());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const CircleDataResult first = Read(fuzz::Text(data, size));
  const CircleDataResult second = Read(WriteCircleDataFile(first.data));
  FUZZ_CHECK(second.error == ErrorNumber::None);
  const CircleDataResult third = Read(WriteCircleDataFile(second.data));
  FUZZ_CHECK(third.error == ErrorNumber::None);
  FUZZ_CHECK(SameSet(second.data.slow, third.data.slow));
  FUZZ_CHECK(SameSet(second.data.slowMap, third.data.slowMap));
  return 0;
}
