#include "src/procedures/procedure_steps.h"

#include "src/procedures/controller_lock.h"
#include "src/procedures/raw_scan_files.h"

namespace ombrixdc {

namespace {
// The fast scan speed of the calibrating modes.
constexpr double kCalibrationFastSpeed = 50.0;
}  // namespace

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

double FastScanSpeed(const MapFileHeader& feature) {
  return feature.mode == E_OMBRIX_DC_CIRCLE_MODE_INPUT_SPEED ? feature.fastSpeed
                                                             : kCalibrationFastSpeed;
}

MapFileHeader FeatureAsScanned(MapFileHeader feature) {
  feature.fastSpeed = FastScanSpeed(feature);
  return feature;
}

}  // namespace ombrixdc
