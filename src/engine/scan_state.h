#pragma once
// Which scan of a run the process is handling. One object for the whole process, shared by
// every component object.
#include <atomic>
#include <cstdint>

inline constexpr int32_t kSlowScan = 1;
inline constexpr int32_t kFastScan = 0;

struct ScanState {
  // SlowScanFlag: 1 while the slow (reference) scan is made and its data handled, 0 for the
  // fast scan; 1 at start-up.
  // Written by the learning procedure (1 before the slow scan), the compensated procedure
  // (0 before the fast scan), and by GetData and SaveData on the client's thread (1 for the
  // Slow and SlowMap data sets, 0 for the others) just before they convert a data set.
  // Read by scanning (start angle and pre-move), the raw scan files (which file names), the
  // component after preparing a scan (which centre to keep), the conversion of a data set
  // back into points (which centre to add) and the data sets file.
  // The engine's functions never read it: their callers pass the value they mean.
  std::atomic<int32_t> slowScanFlag{kSlowScan};
};

ScanState& ProcessScanState();
