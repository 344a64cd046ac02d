#include "src/procedures/raw_scan_files.h"

#include "src/files/file_output.h"
#include "src/files/raw_scan_file.h"
#include "src/procedures/run_files.h"

namespace ombrixdc {

StepResult WriteRawScanFiles(const std::filesystem::path& runFolder, ScanKind scan,
                             const CMaDoubleArray& x, const CMaDoubleArray& y,
                             const CMaDoubleArray& z, const DeflectionLists& deflections) {
  const bool scanWritten =
      WriteTextFile(RawScanFilePath(runFolder, scan), WriteRawScanFile(x, y, z));
  const bool probeWritten =
      WriteTextFile(ProbeFilePath(runFolder, scan),
                    WriteRawScanFile(deflections.a, deflections.b, deflections.c));
  if (scanWritten && probeWritten) {
    return StepResult::Completed();
  }
  return StepResult::Failed(ErrorNumber::RawScanFileFailed,
                            "the raw scan files " + RawScanFilePath(runFolder, scan).string() +
                                " and " + ProbeFilePath(runFolder, scan).string() +
                                " cannot be written");
}

ScanResult ReadRawScanFiles(const RunContext& run, RunReporter& report, ScanKind scan) {
  const std::filesystem::path file = RawScanFilePath(run.runFolder, scan);
  std::optional<TokenReader> reader = TokenReader::FromFile(file);
  if (!reader) {
    return {StepResult::Failed(ErrorNumber::RawScanFileFailed,
                               "the raw scan file " + file.string() + " cannot be read"),
            {}};
  }
  RawScanPoints points = ReadRawScanFile(*reader);
  return PrepareRecordedScan(run, report, scan, points.x, points.y, points.z, {});
}

}  // namespace ombrixdc
