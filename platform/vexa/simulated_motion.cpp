// The machine's motion in simulated time: scans deliver one buffered point per Update, moves
// advance one step per Update or GetMoveStatus poll.
#include "platform/vexa/move_path.h"
#include "platform/vexa/simulated_machine_state.h"

namespace vexa_sim {

void SimulatedMachine::State::Update() {
  std::function<void(int32_t)> hook;
  int32_t delivered = -1;
  {
    std::lock_guard lock(mutex);
    delivered = StepLocked();
    if (delivered >= 0) {
      hook = scanPointHook;
    }
  }
  // Outside the lock: the hook may inject faults, which take the lock themselves.
  if (hook) {
    hook(delivered);
  }
}

int32_t SimulatedMachine::State::StepLocked() {
  pointDelivered = false;
  if (scan) {
    const int32_t index = nextScanPoint++;
    // Drawn in point order, so that a scan's noise follows from its seed alone.
    const double noise =
        config.noise.sigma > 0.0 ? config.noise.sigma * unitNoise(noiseEngine) : 0.0;
    const ScanSample sample = scan->Sample(index, noise);
    tip = sample.tip;
    deflection = sample.deflection;
    pointDelivered = true;
    // The tip stays at the last point when the scan ends.
    if (nextScanPoint >= scan->PointCount()) {
      scan.reset();
    }
    return index;
  }
  if (move) {
    StepMoveLocked();
  }
  return -1;
}

void SimulatedMachine::State::StepMoveLocked() {
  // A move made to fail stops half way and reports the injected status from then on; the
  // running status keeps it hanging there until the fault is lifted or the move stopped.
  if (failMovesStatus != 0 && moveStep >= moveSteps / 2) {
    moveStatus = failMovesStatus;
    if (failMovesStatus != kVexaMoveRunning) {
      move.reset();
    }
    return;
  }
  ++moveStep;
  tip = MovePosition(*move, moveStart, static_cast<double>(moveStep) / moveSteps);
  if (moveStep >= moveSteps) {
    moveStatus = kVexaMoveCompleted;
    move.reset();
  }
}

LONG SimulatedMachine::State::StartScan(const CircleScanRequest& request) {
  std::lock_guard lock(mutex);
  if (disengaged) {
    return kErrorDisengaged;
  }
  if (scan || move) {
    return kErrorMachineBusy;
  }
  if (const LONG error = CircleScanPath::Check(request, config.feature); error != 0) {
    return error;
  }
  scan.emplace(request, config.feature, config.dynamics);
  nextScanPoint = 0;
  // Every scan its own noise, the same on every run of the same sequence of scans.
  noiseEngine.seed(config.noise.seed + static_cast<uint64_t>(scansStarted));
  unitNoise.reset();
  pointDelivered = false;
  lastScan = request;
  ++scansStarted;
  return 0;
}

void SimulatedMachine::State::StartMove(const MoveRequest& request) {
  std::lock_guard lock(mutex);
  const LONG refusal = (disengaged || scan) ? kMoveRejected : CheckMove(request);
  if (refusal != 0) {
    move.reset();
    moveStatus = refusal;
    return;
  }
  // A new move replaces one still running and starts from where the tip is now.
  move = request;
  moveStart = tip;
  moveStep = 0;
  moveSteps = MoveStepCount(request, tip);
  moveStatus = kVexaMoveRunning;
  deflection = CMaPoint();  // the probe is off the surface while moving
  pointDelivered = false;
  lastMove = request;
}

void SimulatedMachine::State::RejectMove() {
  std::lock_guard lock(mutex);
  move.reset();
  moveStatus = kMoveRejected;
}

LONG SimulatedMachine::State::PollMove(CMaPoint* tipOut) {
  std::lock_guard lock(mutex);
  if (move) {
    StepMoveLocked();
  }
  *tipOut = tip;
  return moveStatus;
}

void SimulatedMachine::State::Stop() {
  std::lock_guard lock(mutex);
  ++stopsRequested;
  StopLocked(kMoveStopped);
}

void SimulatedMachine::State::StopLocked(LONG moveEndStatus) {
  scan.reset();
  if (move) {
    move.reset();
    moveStatus = moveEndStatus;
  }
}

}  // namespace vexa_sim
