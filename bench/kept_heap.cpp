// Times every case as in a process whose allocator keeps the memory it is given back.
//
// glibc returns a freed heap top of more than 128 KB to the system until the process frees a
// block of its own mapping (over 128 KB); then it raises the limit to twice that block. A case
// run alone thus pays for fresh pages on every call (three times the computation for a
// learning run on a virtual machine), while the same case run after the 1,000,000-sample
// cases, or in a measuring application that has freed a few megabytes at once, does not.
// Fixing the limits makes the figures the computation's, whatever ran before.
// OMBRIXDC_BENCH_DEFAULT_HEAP=1 keeps glibc's defaults, to see the other case.
#include <malloc.h>

#include <cstdlib>
#include <cstring>

namespace {

bool KeepHeap() {
  const char* keepDefaults = std::getenv("OMBRIXDC_BENCH_DEFAULT_HEAP");
  if (keepDefaults != nullptr && std::strcmp(keepDefaults, "1") == 0) {
    return false;
  }
  constexpr int kLimit = 32 << 20;  // the largest mapping threshold glibc accepts
  return mallopt(M_MMAP_THRESHOLD, kLimit) == 1 && mallopt(M_TRIM_THRESHOLD, 2 * kLimit) == 1;
}

const bool kHeapKept = KeepHeap();

}  // namespace
