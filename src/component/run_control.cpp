// PerformCircle, its checks, the run's worker thread, Abort and GetLastError.
#include <algorithm>
#include <cmath>
#include <system_error>

#include "src/component/circle_dc_component.h"
#include "src/component/process_state.h"
#include "src/component/run_reporter.h"
#include "src/procedures/controller_lock.h"
#include "src/procedures/map_search.h"
#include "src/procedures/procedures.h"
#include "src/services/run_directory.h"

namespace ombrixdc {

namespace {

// Lengths, speeds and pitches must be real positive quantities: not a number and infinity
// both fail, so a bad value stops the run here rather than as a probe-position error later.
bool Positive(double value) {
  return value > 0.0 && std::isfinite(value);
}

}  // namespace

bool CircleDCComponent::ParameterCheck() {
  if (Status.load() == E_OMBRIX_DC_CIRCLE_INITIALISED) {
    return true;
  }
  if (!Link || FilterNumber.Get() < 1) {
    return false;
  }
  for (double value : {FeatureRadius.Get(), TipRadius.Get(), ScanDeflection.Get(),
                       MaxScanSpeed.Get(), SlowSpeed.Get(), ModeParameter.Get()}) {
    if (!Positive(value)) {
      return false;
    }
  }
  if (!Positive(KnownPartScanAcceleration.Get()) || !Positive(BufferPitch.Get()) ||
      !Positive(DCMapPitch.Get())) {
    LastErrorNumber = Number(ErrorNumber::Settings);
    return false;
  }
  const double tolerance = ProcessRunControlState().positionalTolerance;
  if (StartPosition.Get().IsZero(tolerance) || !ProbeOffsets.Get()) {
    LastErrorNumber = Number(ErrorNumber::StartPositionOrOffsets);
    return false;
  }
  ChangeStatus(E_OMBRIX_DC_CIRCLE_INITIALISED);
  return true;
}

HRESULT CircleDCComponent::PerformCircle() {
  // A second worker on the same fields would mix two runs: refuse, touching nothing.
  if (RunInProgress()) {
    return S_FALSE;
  }
  RunCompleted = 0;
  if (!ParameterCheck()) {
    int32_t none = 0;
    LastErrorNumber.compare_exchange_strong(none, Number(ErrorNumber::ParameterCheck));
    Status = E_OMBRIX_DC_CIRCLE_NOT_INITIALISED;
    return S_FALSE;
  }

  // The fast scan never goes faster than the feature's size allows.
  const double cap = 2.0 * DCSpeedFactor.Get() * FeatureRadius.Get();
  FastSpeed.Set(std::min(ModeFastSpeed(), cap));

  CMaPoint tip;
  if (AxisStatus) {
    LONG success = 0;
    AxisStatus->Update();
    AxisStatus->getTip(&tip.x(), &tip.y(), &tip.z(), &success);
  }
  if (OfflineTesting.Get() == 0 &&
      !StartPosition.Get().IsEqual(tip, ProcessRunControlState().positionalTolerance)) {
    FailRun(Number(ErrorNumber::ProbeNotAtStart));
    return S_FALSE;
  }

  // Whether an error is pending is decided now, before the worker can record one of its own.
  const bool errorPending = LastErrorNumber.load() != 0;
  if (!StartWorkerThread()) {
    return S_FALSE;
  }
  return errorPending ? S_FALSE : S_OK;
}

RunContext CircleDCComponent::MakeRunContext() const {
  RunContext run;
  run.feature = FeatureHeader();
  run.startPosition = StartPosition.Get();
  run.runFolder = RunFolder();
  run.offlineTesting = OfflineTesting.Get() != 0;
  run.saveRawData = SaveRawData.Get() != 0;
  run.scanSettlingTime = ScanSettlingTime.Get();
  run.overwrite = Overwrite.Get();
  run.learning = Learning.Get();
  run.mapAgeLimitHours = TimeOut.Get();
  run.tolerances = ProcessMapMatchTolerances().Get();
  run.mapGridStartAngle = ProcessMapState().mapGridStartAngle;
  run.limits = ProcessRunTimeLimits().Get();
  run.controller = {Link, AxisStatus, Stop, CircleScan, MoveTarget, Move};
  return run;
}

std::thread CircleDCComponent::StartStdThread(std::function<void()> body) {
  return std::thread(std::move(body));
}

bool CircleDCComponent::StartWorkerThread() {
  std::lock_guard lock(workersMutex_);
  JoinFinishedWorkers();
  auto finished = std::make_shared<std::atomic<bool>>(false);
  runInProgress_ = true;
  try {
    std::thread thread = StartThread([this, finished, run = MakeRunContext()]() mutable {
      RunWorker(std::move(run));
      *finished = true;
    });
    workers_.push_back({std::move(thread), finished});
    return true;
  } catch (const std::system_error&) {
    runInProgress_ = false;
    LastErrorNumber = Number(ErrorNumber::WorkerNotStarted);
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

void CircleDCComponent::WaitForRuns() {
  std::list<Worker> running;
  {
    std::lock_guard lock(workersMutex_);
    running.swap(workers_);
  }
  for (Worker& worker : running) {
    worker.thread.join();
  }
}

void CircleDCComponent::ChooseAndRunProcedure(RunContext& run) {
  const int32_t learning = run.learning;
  enum class Procedure { None, Learning, Compensated } procedure = Procedure::Learning;
  if (learning != E_OMBRIX_DC_CIRCLE_LEARNING) {
    const MapSearchResult search =
        FindMatchingMap(run.runFolder, run.feature, run.tolerances, MapComparison::Full);
    if (search.damagedMatch) {
      FailRun(Number(ErrorNumber::StoredMapUnusable));
    }
    run.mapNumber = search.mapNumber;
    ProcessRunControlState().mapNumber = search.mapNumber;
    if (search.mapNumber > 0) {
      procedure = Procedure::Compensated;
    } else if (learning == E_OMBRIX_DC_CIRCLE_NO_LEARNING) {
      procedure = Procedure::None;
      LastErrorNumber = Number(ErrorNumber::NoStoredMap);
    }
  }
  if (LastErrorNumber.load() != 0) {
    return;
  }
  ComponentRunReporter report(*this);
  StepResult result = StepResult::Completed();
  if (procedure == Procedure::Learning) {
    result = RunLearning(run, report);
  }
  if (procedure == Procedure::Compensated) {
    result = RunCompensated(run, report);
  }
  // The one place a procedure's failure is recorded.
  if (result.end == StepEnd::Failed) {
    FailRun(result.error);
  }
}

void CircleDCComponent::RunWorker(RunContext run) {
  // Run files are resolved against the run directory; the process's current directory is
  // never changed, since other threads of the host depend on it.
  if (run.runFolder.empty() || !IsAccessibleFolder(run.runFolder.string())) {
    LastErrorNumber = Number(ErrorNumber::RunDirectory);
  } else if (run.mapAgeLimitHours > 0) {
    DeleteOldMapFiles(run.runFolder, run.mapAgeLimitHours);
  }

  IVexa_link* link = run.controller.link.Get();
  LONG locked = 0;
  if (link) {
    link->getLock(kLockWaitLimit, &locked);
  }
  if (!locked) {
    LastErrorNumber = LockRefusalCode(link);
  } else {
    ChooseAndRunProcedure(run);
  }

  int32_t success = 0;
  if (locked && LastErrorNumber.load() == 0) {
    success = 1;
    if (AbortRequested.load() != 0) {
      ChangeStatus(E_OMBRIX_DC_CIRCLE_ABORTED);
      AbortRequested = 0;
    } else {
      // An open viewer takes the new data sets before the client hears the run ended.
      RefreshViewerAfterRun();
      ChangeStatus(E_OMBRIX_DC_CIRCLE_FINISHED);
    }
  }

  if (locked) {
    LONG released = 0;
    link->releaseLock(&released);
  }
  RunCompleted = 1;
  // The run is over before the client hears so: a client that starts the next run from its
  // PerformCircleComplete handler finds the lock free and is not refused.
  runInProgress_ = false;
  Sinks.FirePerformCircleComplete(success);
}

HRESULT CircleDCComponent::Abort() {
  AbortRequested = 1;
  return S_OK;
}

uint32_t CircleDCComponent::GetLastError() {
  return ErrorCode(LastErrorNumber.exchange(0));
}

}  // namespace ombrixdc
