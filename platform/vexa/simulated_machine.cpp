#include "platform/vexa/simulated_machine.h"

#include <algorithm>
#include <chrono>

#include "platform/vexa/simulated_machine_state.h"

namespace vexa_sim {
namespace {

CMaVector Scaled(CMaVector v, double factor) {
  v *= factor;
  return v;
}

}  // namespace

// ---- state: frame, lock and reads ---------------------------------------------------------

SimulatedMachine::State::State(const MachineConfig& machineConfig) : config(machineConfig) {
  frameX = config.featureXaxis;
  frameNormal = config.featureNormal;
  // A frame given slightly off square is squared up about its normal; a degenerate one is
  // used as given.
  CMaVector normal = frameNormal;
  if (normal.Normalise() == MA_TRUE) {
    CMaVector x = frameX - Scaled(normal, frameX * normal);
    if (x.Normalise() == MA_TRUE) {
      frameX = x;
      frameNormal = normal;
    }
  }
  frameY = CrossProduct(frameNormal, frameX);
}

bool SimulatedMachine::State::AcquireLock(LONG waitLimitMs, LONG* error) {
  std::unique_lock lock(mutex);
  const auto waitLimit = std::chrono::milliseconds(std::max<LONG>(waitLimitMs, 0));
  // A refusal injected while waiting ends the wait at once.
  const bool free =
      lockChanged.wait_for(lock, waitLimit, [this] { return !lockHeld || refuseLockError != 0; });
  if (refuseLockError != 0) {
    *error = refuseLockError;
    return false;
  }
  if (!free) {
    *error = config.lockTimeoutError;
    return false;
  }
  lockHeld = true;
  ++locksGranted;
  *error = 0;
  return true;
}

bool SimulatedMachine::State::ReleaseLock() {
  {
    std::lock_guard lock(mutex);
    if (!lockHeld) {
      return false;
    }
    lockHeld = false;
    ++locksReleased;
  }
  lockChanged.notify_all();
  return true;
}

bool SimulatedMachine::State::ReadTip(CMaPoint* out) {
  std::lock_guard lock(mutex);
  if (goodTipReads == 0) {
    return false;
  }
  if (goodTipReads > 0) {
    --goodTipReads;
  }
  *out = tip;
  return true;
}

CMaPoint SimulatedMachine::State::Deflection() const {
  std::lock_guard lock(mutex);
  return deflection;
}

bool SimulatedMachine::State::PointDelivered() const {
  std::lock_guard lock(mutex);
  return pointDelivered;
}

bool SimulatedMachine::State::ActionCompleted() const {
  std::lock_guard lock(mutex);
  return !scan.has_value();
}

bool SimulatedMachine::State::Engaged() const {
  std::lock_guard lock(mutex);
  return !disengaged;
}

LONG SimulatedMachine::State::Flag(StatusFlag flag) const {
  std::lock_guard lock(mutex);
  return flags[static_cast<size_t>(flag)];
}

bool SimulatedMachine::State::ReadExtendedStatus(BYTE bytes[kVexaExtendedStatusBytes],
                                                 LONG* error) const {
  std::lock_guard lock(mutex);
  if (extendedReadError != 0) {
    *error = extendedReadError;
    return false;
  }
  std::copy(extendedStatus.begin(), extendedStatus.end(), bytes);
  return true;
}

CMaPoint SimulatedMachine::State::FeatureToMachine(const CMaPoint& point) const {
  // The frame is fixed at construction: no lock needed.
  const CMaVector image = Scaled(frameX, point.x());
  const CMaVector y = Scaled(frameY, point.y());
  const CMaVector z = Scaled(frameNormal, point.z());
  return config.featureCentre +
         CMaPoint(image[0] + y[0] + z[0], image[1] + y[1] + z[1], image[2] + y[2] + z[2]);
}

// ---- public face ----------------------------------------------------------------------------

MachineConfig MachineConfig::Ideal() {
  MachineConfig config;
  config.feature = FeatureModel{0.0, 0.0, 0.0, {}};
  // The shape parameters stay as they are; with no amplitude the terms vanish.
  config.dynamics.centripetalGain = 0.0;
  config.dynamics.anisotropy = 0.0;
  config.dynamics.glitchHeight = 0.0;
  config.dynamics.transientAmplitude = 0.0;
  config.noise.sigma = 0.0;
  return config;
}

SimulatedMachine::SimulatedMachine(MachineConfig config)
    : state_(std::make_unique<State>(config)) {}

SimulatedMachine::~SimulatedMachine() = default;

const MachineConfig& SimulatedMachine::Config() const {
  return state_->config;
}

SimulatedMachine::State& SimulatedMachine::Internal() {
  return *state_;
}

void SimulatedMachine::SetTip(const CMaPoint& tip) {
  std::lock_guard lock(state_->mutex);
  state_->tip = tip;
}

CMaPoint SimulatedMachine::Tip() const {
  std::lock_guard lock(state_->mutex);
  return state_->tip;
}

bool SimulatedMachine::LockHeld() const {
  std::lock_guard lock(state_->mutex);
  return state_->lockHeld;
}

int32_t SimulatedMachine::LocksGranted() const {
  std::lock_guard lock(state_->mutex);
  return state_->locksGranted;
}

int32_t SimulatedMachine::LocksReleased() const {
  std::lock_guard lock(state_->mutex);
  return state_->locksReleased;
}

void SimulatedMachine::RefuseScans(std::optional<LONG> errorCode) {
  std::lock_guard lock(state_->mutex);
  state_->scanRefusal = errorCode;
}

std::optional<LONG> SimulatedMachine::State::ScanRefusal() const {
  std::lock_guard lock(mutex);
  return scanRefusal;
}

void SimulatedMachine::RefuseLock(LONG errorCode) {
  {
    std::lock_guard lock(state_->mutex);
    state_->refuseLockError = errorCode;
  }
  state_->lockChanged.notify_all();
}

void SimulatedMachine::FailMoves(LONG finalStatus) {
  std::lock_guard lock(state_->mutex);
  state_->failMovesStatus = finalStatus;
}

void SimulatedMachine::SetStatusFlag(StatusFlag flag, LONG value) {
  if (flag < StatusFlag{} || flag >= StatusFlag::Count) {
    return;
  }
  std::lock_guard lock(state_->mutex);
  state_->flags[static_cast<size_t>(flag)] = value;
}

void SimulatedMachine::FailTipReadsAfter(int32_t goodReads) {
  std::lock_guard lock(state_->mutex);
  state_->goodTipReads = goodReads < 0 ? -1 : goodReads;
}

void SimulatedMachine::Disengage(bool disengaged) {
  std::lock_guard lock(state_->mutex);
  // Servos off: whatever was moving stops where it is.
  if (disengaged) {
    state_->StopLocked(kMoveStopped);
  }
  state_->disengaged = disengaged;
}

void SimulatedMachine::SetExtendedStatus(int index, BYTE value) {
  if (index < 0 || index >= kVexaExtendedStatusBytes) {
    return;
  }
  std::lock_guard lock(state_->mutex);
  state_->extendedStatus[static_cast<size_t>(index)] = value;
}

void SimulatedMachine::FailExtendedStatusRead(LONG readError) {
  std::lock_guard lock(state_->mutex);
  state_->extendedReadError = readError;
}

void SimulatedMachine::OnScanPoint(std::function<void(int32_t pointIndex)> hook) {
  std::lock_guard lock(state_->mutex);
  state_->scanPointHook = std::move(hook);
}

std::optional<CircleScanRequest> SimulatedMachine::LastScan() const {
  std::lock_guard lock(state_->mutex);
  return state_->lastScan;
}

std::optional<MoveRequest> SimulatedMachine::LastMove() const {
  std::lock_guard lock(state_->mutex);
  return state_->lastMove;
}

int32_t SimulatedMachine::ScansStarted() const {
  std::lock_guard lock(state_->mutex);
  return state_->scansStarted;
}

int32_t SimulatedMachine::StopsRequested() const {
  std::lock_guard lock(state_->mutex);
  return state_->stopsRequested;
}

CMaPoint SimulatedMachine::FeatureToMachine(const CMaPoint& point) const {
  return state_->FeatureToMachine(point);
}

}  // namespace vexa_sim
