#include "src/procedures/procedure_steps.h"

#include "src/component/circle_dc_component.h"
#include "src/engine/map_state.h"
#include "src/procedures/raw_scan_files.h"

bool StopIfAborted(CircleDCComponent& c) {
  if (c.AbortRequested.load() == 0)
    return false;
  LONG stopped = 0;
  if (c.Stop)
    c.Stop->Stop(c.Link.Get(), &stopped);
  c.LastErrorNumber = 0;
  return true;
}

int32_t ScanOrReplay(CircleDCComponent& c, double speed, ScanOutput& out) {
  if (c.OfflineTesting.Get() != 0)
    return ReadRawScanFiles(c, out);
  return ScanCircle(c, speed, out);
}

CompensationParameters Parameters(const CircleDCComponent& c) {
  CompensationParameters p;
  p.filterMethod = c.FilterMethod.Get();
  p.filterNumber = c.FilterNumber.Get();
  p.mapPitch = c.DCMapPitch.Get();
  p.featureRadius = c.FeatureRadius.Get();
  p.mapGridStartAngle = ProcessMapState().mapGridStartAngle;
  return p;
}

bool Failed(CircleDCComponent& c, ErrorNumber error) {
  if (error == ErrorNumber::None)
    return false;
  c.FailRun(static_cast<int32_t>(error));
  return true;
}
