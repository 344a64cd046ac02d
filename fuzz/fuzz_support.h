#pragma once
// What the fuzz targets share: the input as text, a check that stops the fuzzer on a broken
// invariant, a NaN-aware comparison and a per-process scratch file for readers that take a
// path.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// A failed check is a finding: say which and trap, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      __builtin_trap();                                                                  \
    }                                                                                    \
  } while (false)

namespace fuzz {

inline std::string Text(const uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Equal, or both NaN (a NaN read back is the NaN that was written).
inline bool Same(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}
inline bool Same(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!Same(a[i], b[i])) {
      return false;
    }
  }
  return true;
}

// One file under /tmp for this process, rewritten with each input and removed at exit.
inline const std::string& ScratchFile(const std::string& bytes) {
  static const std::string path = [] {
    char name[] = "/tmp/ombrixdc-fuzz-XXXXXX";
    const int fd = mkstemp(name);
    FUZZ_CHECK(fd >= 0);
    close(fd);
    static std::string kept = name;
    std::atexit([] { std::remove(kept.c_str()); });
    return kept;
  }();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
  std::fclose(file);
  return path;
}

}  // namespace fuzz
