// The viewer's reader of data sets files on any bytes: every set it fills holds as many angles
// as radii, and a successful read chooses a ring scale the viewer has.
#include "fuzz/fuzz_support.h"
#include "src/viewer/data_sets_reader.h"

using namespace ombrixdc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TokenReader reader(fuzz::Text(data, size));
  ViewerDataSets sets;
  const DataSetsReadResult result = ReadViewerDataSets(reader, sets, 0.001);
  for (const ViewerDataSet& set : sets.sets) {
    FUZZ_CHECK(set.radii.size() == set.angles.size());
  }
  if (result.ok) {
    FUZZ_CHECK(result.ShowReference == 0 || result.ShowReference == 1);
    FUZZ_CHECK(result.ring.RingIndex >= -1 && result.ring.RingIndex < kRingCount);
  }
  return 0;
}
