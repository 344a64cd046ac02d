#include "src/procedures/raw_scan_files.h"

#include "src/component/circle_dc_component.h"
#include "src/engine/scan_state.h"
#include "src/files/file_output.h"
#include "src/files/raw_scan_file.h"
#include "src/procedures/run_files.h"

namespace {
constexpr int32_t kRawDataError = static_cast<int32_t>(ErrorNumber::StoredMapUnusable);
}  // namespace

int32_t WriteRawScanFiles(CircleDCComponent& c, bool slowScan, const CMaDoubleArray& x,
                          const CMaDoubleArray& y, const CMaDoubleArray& z,
                          const DeflectionLists& deflections) {
  const std::filesystem::path folder = RunFolder(c);
  const bool scanWritten = WriteTextFile(folder / (slowScan ? "ScanSlow.dat" : "ScanFast.dat"),
                                         WriteRawScanFile(x, y, z));
  const bool probeWritten =
      WriteTextFile(folder / (slowScan ? "ProbeSlow.dat" : "ProbeFast.dat"),
                    WriteRawScanFile(deflections.a, deflections.b, deflections.c));
  return scanWritten && probeWritten ? 0 : kRawDataError;
}

int32_t ReadRawScanFiles(CircleDCComponent& c, ScanOutput& out) {
  out = ScanOutput{};
  const bool slowScan = ProcessScanState().slowScanFlag.load() == kSlowScan;
  std::optional<TokenReader> reader =
      TokenReader::FromFile(RunFolder(c) / (slowScan ? "ScanSlow.dat" : "ScanFast.dat"));
  if (!reader)
    return kRawDataError;
  RawScanPoints points = ReadRawScanFile(*reader);
  return PrepareRecordedScan(c, points.x, points.y, points.z, out);
}
