// PerformCircle, its checks, the run's worker thread, Abort and GetLastError.
#include <cmath>
#include <system_error>

#include "src/component/circle_dc_component.h"
#include "src/component/process_state.h"
#include "src/procedures/procedures.h"
#include "src/procedures/run_limits.h"
#include "src/services/run_directory.h"

namespace {

// Error recorded when the operating system will not start a run's worker thread.
constexpr int32_t kWorkerNotStarted = static_cast<int32_t>(ErrorNumber::Unused8);

// Recorded when the link refuses its lock but reports no error of its own, so that the
// refusal is never read back as success.
constexpr int32_t kLockRefusedWithoutCode = static_cast<int32_t>(0x80004005u);

// Lengths, speeds and pitches must be real positive quantities: not a number and infinity
// both fail, so a bad value stops the run here rather than as a probe-position error later.
bool Positive(double value) {
  return value > 0.0 && std::isfinite(value);
}

}  // namespace

bool CircleDCComponent::ParameterCheck() {
  if (Status.load() == E_OMBRIX_DC_CIRCLE_INITIALISED)
    return true;
  if (!Link || FilterNumber.Get() < 1)
    return false;
  for (double value : {FeatureRadius.Get(), TipRadius.Get(), ScanDeflection.Get(),
                       MaxScanSpeed.Get(), SlowSpeed.Get(), ModeParameter.Get()}) {
    if (!Positive(value))
      return false;
  }
  if (!Positive(KnownPartScanAcceleration.Get()) || !Positive(BufferPitch.Get()) ||
      !Positive(DCMapPitch.Get())) {
    LastErrorNumber = static_cast<int32_t>(ErrorNumber::Settings);
    return false;
  }
  const double tolerance = ProcessRunControlState().positionalTolerance;
  if (StartPosition.Get().IsZero(tolerance) || !ProbeOffsets.Get()) {
    LastErrorNumber = static_cast<int32_t>(ErrorNumber::StartPositionOrOffsets);
    return false;
  }
  ChangeStatus(E_OMBRIX_DC_CIRCLE_INITIALISED);
  return true;
}

HRESULT CircleDCComponent::PerformCircle() {
  RunCompleted = 0;
  if (!ParameterCheck()) {
    int32_t none = 0;
    LastErrorNumber.compare_exchange_strong(none,
                                            static_cast<int32_t>(ErrorNumber::ParameterCheck));
    Status = E_OMBRIX_DC_CIRCLE_NOT_INITIALISED;
    return S_FALSE;
  }

  double fastSpeed =
      Mode.Get() == E_OMBRIX_DC_CIRCLE_MODE_INPUT_SPEED ? ModeParameter.Get() : MaxScanSpeed.Get();
  const double cap = 2.0 * DCSpeedFactor.Get() * FeatureRadius.Get();
  if (cap < fastSpeed)
    fastSpeed = cap;
  FastSpeed.Set(fastSpeed);

  CMaPoint tip;
  if (AxisStatus) {
    LONG success = 0;
    AxisStatus->Update();
    AxisStatus->getTip(&tip.x(), &tip.y(), &tip.z(), &success);
  }
  if (OfflineTesting.Get() == 0 &&
      !StartPosition.Get().IsEqual(tip, ProcessRunControlState().positionalTolerance)) {
    FailRun(static_cast<int32_t>(ErrorNumber::ProbeNotAtStart));
    return S_FALSE;
  }

  // Whether an error is pending is decided now, before the worker can record one of its own.
  const bool errorPending = LastErrorNumber.load() != 0;
  if (!StartWorkerThread())
    return S_FALSE;
  return errorPending ? S_FALSE : S_OK;
}

std::thread CircleDCComponent::StartStdThread(std::function<void()> body) {
  return std::thread(std::move(body));
}

bool CircleDCComponent::StartWorkerThread() {
  std::lock_guard lock(workersMutex_);
  JoinFinishedWorkers();
  auto finished = std::make_shared<std::atomic<bool>>(false);
  try {
    std::thread thread = StartThread([this, finished] {
      RunWorker();
      *finished = true;
    });
    workers_.push_back({std::move(thread), finished});
    return true;
  } catch (const std::system_error&) {
    LastErrorNumber = kWorkerNotStarted;
    Sinks.FirePerformCircleComplete(0);
    RunCompleted = 1;
    return false;
  }
}

void CircleDCComponent::JoinFinishedWorkers() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (*it->finished) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

bool CircleDCComponent::RunInProgress() {
  std::lock_guard lock(workersMutex_);
  for (const Worker& worker : workers_) {
    if (!*worker.finished)
      return true;
  }
  return false;
}

void CircleDCComponent::WaitForRuns() {
  std::list<Worker> running;
  {
    std::lock_guard lock(workersMutex_);
    running.swap(workers_);
  }
  for (Worker& worker : running)
    worker.thread.join();
}

void CircleDCComponent::ChooseAndRunProcedure() {
  RunControlState& process = ProcessRunControlState();
  const int32_t learning = Learning.Get();
  enum class Procedure { None, Learning, Compensated } procedure = Procedure::Learning;
  if (learning != E_OMBRIX_DC_CIRCLE_LEARNING) {
    process.mapNumber = FindMatchingMap(*this, kFullComparison);
    if (process.mapNumber > 0) {
      procedure = Procedure::Compensated;
    } else if (learning == E_OMBRIX_DC_CIRCLE_NO_LEARNING) {
      procedure = Procedure::None;
      LastErrorNumber = static_cast<int32_t>(ErrorNumber::NoStoredMap);
    }
  }
  if (LastErrorNumber.load() != 0)
    return;
  if (procedure == Procedure::Learning)
    RunLearning(*this);
  if (procedure == Procedure::Compensated)
    RunCompensated(*this);
}

void CircleDCComponent::RunWorker() {
  // Run files are resolved against the run directory; the process's current directory is
  // never changed, since other threads of the host depend on it.
  const OptionalText runDirectory = RunDirectory.Get();
  if (!IsAccessibleFolder(runDirectory)) {
    LastErrorNumber = static_cast<int32_t>(ErrorNumber::RunDirectory);
  } else if (TimeOut.Get() > 0) {
    DeleteOldMapFiles(RunDirectoryPath(*runDirectory), TimeOut.Get());
  }

  LONG locked = 0;
  if (Link)
    Link->getLock(kLockWaitLimit, &locked);
  if (!locked) {
    LONG error = 0;
    if (Link)
      Link->GetLastError(&error);
    LastErrorNumber = error != 0 ? error : kLockRefusedWithoutCode;
  } else {
    ChooseAndRunProcedure();
  }

  if (!locked || LastErrorNumber.load() != 0) {
    Sinks.FirePerformCircleComplete(0);
  } else if (AbortRequested.load() != 0) {
    ChangeStatus(E_OMBRIX_DC_CIRCLE_ABORTED);
    Sinks.FirePerformCircleComplete(1);
    AbortRequested = 0;
  } else {
    RefreshViewerAfterRun();
    ChangeStatus(E_OMBRIX_DC_CIRCLE_FINISHED);
    Sinks.FirePerformCircleComplete(1);
  }

  if (locked) {
    LONG released = 0;
    Link->releaseLock(&released);
  }
  RunCompleted = 1;
}

HRESULT CircleDCComponent::Abort() {
  AbortRequested = 1;
  return S_OK;
}

uint32_t CircleDCComponent::GetLastError() {
  return ErrorCode(LastErrorNumber.exchange(0));
}
