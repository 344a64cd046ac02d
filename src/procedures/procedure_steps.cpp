#include "src/procedures/procedure_steps.h"

#include "src/procedures/controller_lock.h"
#include "src/procedures/raw_scan_files.h"

namespace ombrixdc {

bool StopIfAborted(const RunContext& run, const RunReporter& report) {
  if (!report.AbortRequested()) {
    return false;
  }
  StopMachine(run.controller);
  return true;
}

ScanResult ScanOrReplay(const RunContext& run, RunReporter& report, ScanKind scan, double speed) {
  if (run.offlineTesting) {
    return ReadRawScanFiles(run, report, scan);
  }
  return ScanCircle(run, report, scan, speed);
}

CompensationParameters Parameters(const RunContext& run) {
  CompensationParameters p;
  p.filterMethod = run.feature.filterMethod;
  p.filterNumber = run.feature.filterNumber;
  p.mapPitch = run.feature.mapPitch;
  p.featureRadius = run.feature.radius;
  p.mapGridStartAngle = run.mapGridStartAngle;
  return p;
}

}  // namespace ombrixdc
