// PerformCircle, its checks, the run's worker thread, Abort and GetLastError.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <system_error>
#include <utility>

#include "src/component/circle_dc_component.h"
#include "src/component/process_state.h"
#include "src/component/run_reporter.h"
#include "src/engine/map_grid.h"
#include "src/procedures/controller_lock.h"
#include "src/procedures/map_search.h"
#include "src/procedures/procedure_steps.h"
#include "src/procedures/procedures.h"
#include "src/services/run_directory.h"

namespace ombrixdc {

namespace {

// How long the last Release waits for a handler already running on a run's thread to return
// before it leaves the object to that thread.
constexpr std::chrono::milliseconds kHandlerReturnLimit{1000};

// Lengths, speeds and pitches must be real positive quantities: not a number and infinity
// both fail, so a bad value stops the run here rather than as a probe-position error later.
bool Positive(double value) {
  return value > 0.0 && std::isfinite(value);
}

}  // namespace

bool CircleDCComponent::ControllerObjectsPresent() const {
  const ControllerObjects c = Controllers();
  // Offline, scans are replayed from files: only the link's lock is used.
  if (OfflineTesting.Get() != 0) {
    return static_cast<bool>(c.link);
  }
  return c.link && c.axisStatus && c.stop && c.circleScan && c.moveTarget && c.move;
}

bool CircleDCComponent::ParameterCheck(std::string& reason) {
  // Checked even when the parameters were checked before: an InitialiseObject that failed
  // half-way since then leaves objects missing, and a run must never call one that is not there.
  if (!ControllerObjectsPresent()) {
    reason = "the component is not connected to the controller (InitialiseObject)";
    return false;
  }
  if (Status.load() == E_OMBRIX_DC_CIRCLE_INITIALISED) {
    return true;
  }
  if (FilterNumber.Get() < 1) {
    reason = "FilterNumber is below 1";
    return false;
  }
  const std::pair<const char*, double> values[] = {
      {"FeatureRadius", FeatureRadius.Get()},   {"TipRadius", TipRadius.Get()},
      {"ScanDeflection", ScanDeflection.Get()}, {"MaxScanSpeed", MaxScanSpeed.Get()},
      {"SlowSpeed", SlowSpeed.Get()},           {"ModeParameter", ModeParameter.Get()}};
  for (const auto& [name, value] : values) {
    if (!Positive(value)) {
      reason = std::string(name) + " is not a finite number greater than 0";
      return false;
    }
  }
  if (!Positive(KnownPartScanAcceleration.Get()) || !Positive(BufferPitch.Get()) ||
      !Positive(DCMapPitch.Get())) {
    RecordError(ErrorNumber::Settings,
                "KnownPartScanAcceleration, BufferPitch and DCMapPitch must be greater than 0: "
                "GetStartPosition reads them from the settings file");
    return false;
  }
  const double tolerance = ProcessRunControlState().positionalTolerance;
  if (StartPosition.Get().IsZero(tolerance) || !ProbeOffsets.Get()) {
    RecordError(ErrorNumber::StartPositionOrOffsets,
                !ProbeOffsets.Get()
                    ? "no probe offsets were entered (EnterProbeOffsets)"
                    : "no start position: none was found (GetStartPosition), or the one found "
                      "lies within PositionalTolerance of the feature's centre (a feature radius "
                      "too close to the tip radius)");
    return false;
  }
  ChangeStatus(E_OMBRIX_DC_CIRCLE_INITIALISED);
  return true;
}

HRESULT CircleDCComponent::PerformCircle() {
  // A second worker on the same fields would mix two runs, and a component being destroyed
  // takes no new run: refuse, touching nothing. The call is claimed before the parameter
  // check, whose OnStatusChange(1) handler might call again.
  {
    std::lock_guard lock(workersMutex_);
    if (destroying_ || RunInProgress()) {
      return S_FALSE;
    }
    runInProgress_ = true;
  }
  RunCompleted = 0;
  runSucceeded_ = 0;
  if (std::string reason; !ParameterCheck(reason)) {
    // An error recorded earlier (or by the check) is kept in place of 1.
    if (LastErrorNumber.load() == 0) {
      RecordError(ErrorNumber::ParameterCheck, std::move(reason));
    }
    Status = E_OMBRIX_DC_CIRCLE_NOT_INITIALISED;
    runInProgress_ = false;
    return S_FALSE;
  }

  // The fast scan never goes faster than the feature's size allows.
  const double cap = 2.0 * DCSpeedFactor.Get() * FeatureRadius.Get();
  FastSpeed.Set(std::min(ModeFastSpeed(), cap));

  CMaPoint tip;
  if (const ComPtr<IVexa_axis_position_and_status> axes = Controllers().axisStatus) {
    LONG success = 0;
    axes->Update();
    axes->getTip(&tip.x(), &tip.y(), &tip.z(), &success);
  }
  if (OfflineTesting.Get() == 0 &&
      !StartPosition.Get().IsEqual(tip, ProcessRunControlState().positionalTolerance)) {
    RecordError(ErrorNumber::ProbeNotAtStart,
                "the probe tip is not at the start position (GetStartPosition)");
    runInProgress_ = false;  // no run: a handler of the error may start the next one
    ChangeStatus(E_OMBRIX_DC_CIRCLE_ERROR);
    return S_FALSE;
  }

  // An unread error of an earlier run or call stops this run before any procedure; whether
  // one is pending is decided now, and the run carries that decision.
  const Error pendingError = Error::FromNumber(LastErrorNumber.load());
  if (!StartWorkerThread(pendingError)) {
    return S_FALSE;
  }
  return pendingError.IsNone() ? S_OK : S_FALSE;
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
  run.mapGridStartAngle = kMapGridStartAngle;
  run.limits = ProcessRunTimeLimits().Get();
  run.controller = Controllers();
  return run;
}

std::thread CircleDCComponent::StartStdThread(std::function<void()> body) {
  return std::thread(std::move(body));
}

bool CircleDCComponent::StartWorkerThread(Error pendingError) {
  std::unique_lock lock(workersMutex_);
  if (destroying_) {
    runInProgress_ = false;
    return false;
  }
  JoinFinishedWorkers();
  auto finished = std::make_shared<std::atomic<bool>>(false);
  try {
    std::thread thread = startThread_([this, finished, pendingError, run = MakeRunContext(),
                                       runDirectory = RunDirectory.Get().value_or("")]() mutable {
      RunWorker(std::move(run), pendingError, std::move(runDirectory));
      // The owner may have let go while this run or another went on: the last run thread to
      // end then ends the component, and touches nothing of it afterwards.
      std::function<void()> destroy;
      {
        std::lock_guard lock(workersMutex_);
        *finished = true;
        destroy = TakeDestroyWhenIdle();
      }
      if (destroy) {
        destroy();
        ProcessOrphanedComponents().Done();
      }
    });
    workers_.push_back({std::move(thread), finished});
    return true;
  } catch (const std::system_error&) {
    runInProgress_ = false;
    lock.unlock();
    RecordError(ErrorNumber::WorkerNotStarted, "the system refused a new thread");
    RunCompleted = 1;
    Sinks.FirePerformCircleComplete(0);
    return false;
  }
}

void CircleDCComponent::JoinFinishedWorkers() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (*it->finished && it->thread.get_id() != std::this_thread::get_id()) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

void CircleDCComponent::WaitForRuns() {
  // A handler may start a further run while this waits: wait until no worker is left.
  for (;;) {
    std::list<Worker> running;
    {
      std::lock_guard lock(workersMutex_);
      running.swap(workers_);
    }
    if (running.empty()) {
      return;
    }
    for (Worker& worker : running) {
      if (worker.thread.get_id() == std::this_thread::get_id()) {
        // This thread's own run: it ends once its caller returns.
        ProcessOrphanedComponents().Retire(std::move(worker.thread));
      } else {
        worker.thread.join();
      }
    }
  }
}

void CircleDCComponent::DestroyWhenIdle(std::function<void()> destroy) {
  bool onRunThread = false;
  {
    std::lock_guard lock(workersMutex_);
    // A handler that takes and drops a reference while the object is already going would
    // otherwise end it twice.
    if (destroying_) {
      return;
    }
    destroying_ = true;
    AbortRequested = 1;
    onRunThread = std::any_of(workers_.begin(), workers_.end(), [](const Worker& worker) {
      return !*worker.finished && worker.thread.get_id() == std::this_thread::get_id();
    });
  }
  // The owner has let go: its sinks hear nothing more, since they may go with it. Only a
  // handler already running finishes.
  Sinks.DisconnectAll();
  // Waiting for the run to end is safe unless this is the run's own thread (released from
  // inside its handler) or a handler is still running on a run's thread: one that does not
  // return soon may be waiting for a lock that the releasing thread holds. Then the last run
  // thread to end destroys the object, and the release returns. An OnGraphicsClosed handler
  // may wait for that lock just the same: the object is destroyed once it has returned.
  const bool handlerRunning =
      !onRunThread && !Sinks.WaitUntilNoneDeliveringElsewhere(kHandlerReturnLimit);
  {
    std::lock_guard lock(workersMutex_);
    if ((AnyWorkerRunning() && (onRunThread || handlerRunning)) || closedDeliveries_ > 0) {
      pendingDestroy_ = std::move(destroy);
      ProcessOrphanedComponents().Add();
      return;
    }
  }
  destroy();
}

void CircleDCComponent::FireGraphicsClosedAndEndIfReleased() {
  {
    std::lock_guard lock(workersMutex_);
    ++closedDeliveries_;
  }
  Sinks.FireOnGraphicsClosed();
  std::function<void()> destroy;
  {
    std::lock_guard lock(workersMutex_);
    --closedDeliveries_;
    destroy = TakeDestroyWhenIdle();
  }
  // Not on the viewer's thread, which still returns through this module's code: on one of the
  // module's own, which the module's unloading waits for. The destruction waits for the viewer
  // to let go of this component.
  if (destroy && !ProcessOrphanedComponents().DestroyOnOwnThread(destroy)) {
    destroy();
    ProcessOrphanedComponents().Done();
  }
}

std::function<void()> CircleDCComponent::TakeDestroyWhenIdle() {
  return Busy() ? nullptr : std::exchange(pendingDestroy_, nullptr);
}

bool CircleDCComponent::AnyWorkerRunning() const {
  return std::any_of(workers_.begin(), workers_.end(),
                     [](const Worker& worker) { return !*worker.finished; });
}

void CircleDCComponent::ChooseAndRunProcedure(RunContext& run, RunOutcome& outcome,
                                              RunResults& results) {
  const int32_t learning = run.learning;
  enum class Procedure { None, Learning, Compensated } procedure = Procedure::Learning;
  if (learning != E_OMBRIX_DC_CIRCLE_LEARNING) {
    // A stored map records the speed its fast scan ran at, which a calibrating mode fixes.
    const MapSearchResult search = FindMatchingMap(run.runFolder, FeatureAsScanned(run.feature),
                                                   run.tolerances, MapComparison::Full);
    if (search.error != ErrorNumber::None) {
      FailRun(outcome, search.error,
              "a stored map of the feature in " + run.runFolder.string() + " is damaged");
    }
    run.mapNumber = search.mapNumber;
    ProcessRunControlState().mapNumber = search.mapNumber;
    if (search.mapNumber > 0) {
      procedure = Procedure::Compensated;
    } else if (learning == E_OMBRIX_DC_CIRCLE_NO_LEARNING) {
      procedure = Procedure::None;
      outcome.error = ErrorNumber::NoStoredMap;
      RecordError(outcome.error, "no stored map in " + run.runFolder.string() +
                                     " matches the feature (learn one with Learning 1 or 2)");
    }
  }
  if (outcome.Failed()) {
    return;
  }
  ComponentRunReporter report(*this, results);
  StepResult result = StepResult::Completed();
  if (procedure == Procedure::Learning) {
    result = RunLearning(run, report);
  }
  if (procedure == Procedure::Compensated) {
    results.mapNumber = run.mapNumber;
    results.mapUse = MapUse::Used;
    result = RunCompensated(run, report);
  }
  // The one place a procedure's failure is recorded.
  if (result.end == StepEnd::Failed) {
    FailRun(outcome, result.error, std::move(result.reason));
  }
}

void CircleDCComponent::RunWorker(RunContext run, Error pendingError, std::string runDirectory) {
  // An error the client had not read when the run started fails the run before any procedure.
  RunOutcome outcome{pendingError};
  RunResults results;
  results.feature = run.feature;
  results.learning = run.learning;
  results.runDirectory = std::move(runDirectory);

  // Run files are resolved against the run directory; the process's current directory is
  // never changed, since other threads of the host depend on it.
  if (run.runFolder.empty() || !IsAccessibleFolder(run.runFolder.string())) {
    outcome.error = ErrorNumber::RunDirectory;
    RecordError(outcome.error, run.runFolder.empty()
                                   ? "no run directory: the settings give no WorkingDirectory"
                                   : "the run directory " + run.runFolder.string() +
                                         " is not a folder it can use");
  } else if (run.mapAgeLimitHours > 0) {
    DeleteOldMapFiles(run.runFolder, run.mapAgeLimitHours);
  }

  IVexa_link* link = run.controller.link.Get();
  LONG locked = 0;
  if (link) {
    link->getLock(kLockWaitLimit, &locked);
  }
  if (!locked) {
    outcome.error = LockRefusalCode(link);
    RecordError(outcome.error, "the controller refused its lock");
  } else {
    ChooseAndRunProcedure(run, outcome, results);
  }

  // What the run produced replaces the last run's results, whatever the outcome: a reader
  // never gets an earlier run's data sets once this one has ended.
  PublishResults(std::move(results));
  int32_t success = 0;
  if (locked && !outcome.Failed()) {
    if (AbortRequested.exchange(0) != 0) {
      // Stopped before its end: its results are incomplete, so it is no success either.
      ChangeStatus(E_OMBRIX_DC_CIRCLE_ABORTED);
    } else {
      // An open viewer takes the new data sets before the client hears the run ended.
      RefreshViewerAfterRun();
      ChangeStatus(E_OMBRIX_DC_CIRCLE_FINISHED);
      success = 1;
    }
  }
  if (locked) {
    LONG released = 0;
    link->releaseLock(&released);
  }
  runSucceeded_ = success;
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
  lastErrorReason_.Set({});
  return ErrorCode(LastErrorNumber.exchange(0));
}

}  // namespace ombrixdc
