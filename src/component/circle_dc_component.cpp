#include "src/component/circle_dc_component.h"

#include <cmath>

#include "src/component/viewer_link.h"
#include "src/services/run_directory.h"

namespace ombrixdc {

CircleDCComponent::CircleDCComponent()
    : viewerLink_(std::make_unique<ComponentViewerLink>(*this)) {}

CircleDCComponent::~CircleDCComponent() {
  // A run still going would use this object after it is gone: refuse new runs, stop the
  // running one and wait for every worker, including any a handler starts meanwhile.
  {
    std::lock_guard lock(workersMutex_);
    destroying_ = true;
  }
  AbortRequested = 1;
  WaitForRuns();
  ProbeOffsets.Set(std::nullopt);
  CloseViewerOnDestruction();
  {
    std::lock_guard lock(controllerMutex_);
    MoveTarget.Reset();
    Move.Reset();
    CircleScan.Reset();
    Stop.Reset();
  }
  Sinks.DisconnectAll();
}

ControllerObjects CircleDCComponent::Controllers() const {
  std::lock_guard lock(controllerMutex_);
  return {Link, AxisStatus, Stop, CircleScan, MoveTarget, Move};
}

void CircleDCComponent::SetFilterMethod(int32_t method) {
  FilterMethod.Set(method < 1 ? 1 : (method > 2 ? 2 : method));
}

bool CircleDCComponent::EnterProbeOffsets(double x, double y, double z) {
  // Offsets are written to the map file and compared when a stored map is matched; a
  // non-finite one would make a map that never matches again.
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
    return false;
  }
  ProbeOffsets.Set(CMaPoint(x, y, z));
  return true;
}

void CircleDCComponent::ChangeStatus(ECircleStatus status) {
  Status = status;
  Sinks.FireOnStatusChange(status);
}

void CircleDCComponent::RecordError(Error error, std::string reason) {
  lastErrorReason_.Set(std::move(reason));
  LastErrorNumber = error.Recorded();
}

void CircleDCComponent::FailRun(RunOutcome& outcome, Error error, std::string reason) {
  outcome.error = error;
  RecordError(error, std::move(reason));
  ChangeStatus(E_OMBRIX_DC_CIRCLE_ERROR);
}

HRESULT CircleDCComponent::GetPerformCircleComplete(LONG* completed, LONG* success) {
  if (!completed || !success) {
    return E_POINTER;
  }
  *completed = RunCompleted.load();
  *success = runSucceeded_.load();
  return S_OK;
}

double CircleDCComponent::ModeFastSpeed() const {
  return Mode.Get() == E_OMBRIX_DC_CIRCLE_MODE_INPUT_SPEED ? ModeParameter.Get()
                                                           : MaxScanSpeed.Get();
}

MapFileHeader CircleDCComponent::FeatureHeader() const {
  MapFileHeader h;
  h.measuringUnit = MeasuringUnit.Get();
  h.acceleration = KnownPartScanAcceleration.Get();
  h.bufferPitch = BufferPitch.Get();
  h.mapPitch = DCMapPitch.Get();
  h.dcStartAngle = DCStartAngle.Get();
  h.dcMapMethod = DCMapMethod;
  h.filterMethod = FilterMethod.Get();
  h.boreOrBoss = BoreOrBoss.Get();
  h.radius = FeatureRadius.Get();
  h.centre = Centre.Get();
  h.normal = Normal.Get();
  h.xaxis = Xaxis.Get();
  h.mode = Mode.Get();
  h.modeParameter = ModeParameter.Get();
  h.filterNumber = FilterNumber.Get();
  h.slowSpeed = SlowSpeed.Get();
  h.fastSpeed = FastSpeed.Get();
  h.scanDirection = ScanDirection.Get();
  h.scanDeflection = ScanDeflection.Get();
  h.headAngleA = HeadAngleA.Get();
  h.headAngleB = HeadAngleB.Get();
  h.probeType = ProbeType.Get();
  h.probeOffsets = ProbeOffsets.Get().value_or(CMaPoint(0.0, 0.0, 0.0));
  h.tipRadius = TipRadius.Get();
  return h;
}

std::filesystem::path CircleDCComponent::RunFolder() const {
  const OptionalText runDirectory = RunDirectory.Get();
  return runDirectory ? RunDirectoryPath(*runDirectory) : std::filesystem::path();
}

}  // namespace ombrixdc
