#pragma once
// One circle feature and its measurement runs: the run parameters a client sets, the machine
// state and settings gathered before a run, the controller objects, the run status and error
// number, and the six data sets a run produces.
//
// The client's thread sets the fields; a run's worker works on a RunContext copied from them
// when the run starts, carries its own outcome from the first check to the last event, and
// publishes what it produced as one RunResults value when it ends. Every field the worker
// writes is a SharedScalar/SharedValue or an atomic word.
#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/trivell/geometry.h"
#include "platform/vexa/interfaces.h"
#include "src/component/enums.h"
#include "src/component/events.h"
#include "src/component/run_results.h"
#include "src/component/shared_value.h"
#include "src/engine/error_number.h"
#include "src/engine/profile.h"
#include "src/files/map_file.h"
#include "src/procedures/run_context.h"

namespace ombrixdc {

// An automation string: absent (never set) is different from empty.
using OptionalText = std::optional<std::string>;

// One data set as points in machine coordinates with its fitted circle (GetData).
struct DataSetPoints {
  double form = 0.0;
  double radius = 0.0;
  CMaPoint centre;
  std::vector<double> x, y, z;
};

// How a run is going, carried by its worker from the first check to the last event. The
// shared LastErrorNumber is written for the client and never read to steer a run.
struct RunOutcome {
  Error error;  // the run's error number or controller code; none while it has not failed
  bool Failed() const { return !error.IsNone(); }
};

// One data set of a run's results as points about its scan's centre, with the circle fitted
// to them; nothing when the run has no data of that type.
[[nodiscard]] std::optional<DataSetPoints> DataSetPointsOf(const RunResults& results, int32_t type);

class ComponentViewerLink;

struct WindowRectangle {
  int32_t left, top, right, bottom;
  bool operator==(const WindowRectangle&) const = default;
};

class CircleDCComponent {
 public:
  CircleDCComponent();
  ~CircleDCComponent();
  CircleDCComponent(const CircleDCComponent&) = delete;
  CircleDCComponent& operator=(const CircleDCComponent&) = delete;

  // ---- run parameters (properties) ----
  SharedScalar<int32_t> BoreOrBoss{E_OMBRIX_DC_CIRCLE_BORE};
  SharedScalar<int32_t> Overwrite{E_OMBRIX_DC_CIRCLE_OVERWRITE_EXISTING_MAP};
  SharedScalar<int32_t> ScanDirection{E_OMBRIX_DC_CIRCLE_CLOCKWISE_SCAN};
  SharedScalar<int32_t> ScanType{E_OMBRIX_DC_CIRCLE_KNOWNPT_DISCREET_SCAN};
  SharedScalar<int32_t> Mode{E_OMBRIX_DC_CIRCLE_MODE_INPUT_SPEED};
  SharedScalar<int32_t> Learning{E_OMBRIX_DC_CIRCLE_NO_LEARNING};
  SharedScalar<int32_t> FilterNumber{20};
  SharedScalar<int32_t> FilterMethod{1};  // set through SetFilterMethod, which clamps
  SharedScalar<double> FeatureRadius{0.0};
  SharedScalar<double> TipRadius{0.0};
  SharedScalar<double> ScanDeflection{0.0};
  SharedScalar<double> MaxScanSpeed{100.0};
  SharedScalar<double> SlowSpeed{0.0};
  SharedScalar<double> ModeParameter{50.0};
  SharedValue<OptionalText> IniFilepath;
  SharedValue<OptionalText> WorkingFolder{OptionalText("Default")};
  std::array<SharedValue<OptionalText>, 5> HeaderInfo;  // HeaderInfo1 .. HeaderInfo5
  SharedValue<OptionalText> Language;
  SharedScalar<int32_t> OfflineTesting{0};
  SharedScalar<int32_t> SaveRawData{0};
  SharedScalar<int32_t> WindowVisible{1};

  // Below 1 stores 1, above 2 stores 2.
  void SetFilterMethod(int32_t method);

  // ---- run state ----
  std::atomic<int32_t> Status{E_OMBRIX_DC_CIRCLE_NOT_INITIALISED};
  std::atomic<int32_t> LastErrorNumber{0};
  std::atomic<int32_t> AbortRequested{0};
  std::atomic<int32_t> RunCompleted{0};
  SharedScalar<double> FastSpeed{0.0};
  const int32_t DCMapMethod = 1;

  // ---- machine state and settings (GetStartPosition) ----
  SharedScalar<int32_t> ProbeType{0};
  SharedScalar<int32_t> MeasuringUnit{0};
  SharedScalar<int32_t> ScanSettlingTime{0};
  SharedScalar<int32_t> TimeOut{-1};
  SharedScalar<double> HeadAngleA{0.0};
  SharedScalar<double> HeadAngleB{0.0};
  SharedScalar<double> KnownPartScanAcceleration{0.0};
  SharedScalar<double> BufferPitch{0.0};
  SharedScalar<double> DCMapPitch{0.0};
  SharedScalar<double> DCSpeedFactor{0.0};
  SharedScalar<double> DCStartAngle{0.0};
  SharedValue<OptionalText> RunDirectory;
  SharedValue<CMaPoint> Centre;
  SharedValue<CMaPoint> Normal;
  SharedValue<CMaPoint> Xaxis;
  SharedValue<CMaPoint> StartPosition;
  SharedValue<std::optional<CMaPoint>> ProbeOffsets;

  // ---- the last run's results ----
  // Replaced whole when a run ends (null before the first). Read it once and use that copy:
  // two reads may see two runs.
  PublishedRunResults Results() const { return results_.Get(); }

  // ---- viewer geometry ----
  SharedValue<WindowRectangle> WindowRect{WindowRectangle{100, 100, 868, 677}};
  SharedScalar<int32_t> WindowHandle{0};
  SharedScalar<int32_t> GraphicsOpen{0};
  SharedScalar<int32_t> WindowRectChanged{0};
  SharedValue<OptionalText> GraphicsFilename;

  // ---- controller objects ----
  // The link and the axis position and status object come from the client; the component
  // holds a reference while it uses them. The other four are created by InitialiseObject.
  // The component's own code reads and writes them only through Controllers() and
  // InitialiseObject, under one lock, since a client may call InitialiseObject on one thread
  // while another (or an event handler) starts a run; a run uses the copies its RunContext
  // took when it started, so InitialiseObject during a run changes nothing under the worker.
  ComPtr<IVexa_link> Link;
  ComPtr<IVexa_axis_position_and_status> AxisStatus;
  ComPtr<IVexa_stop> Stop;
  ComPtr<IVexa_circle_scan> CircleScan;
  ComPtr<IVexa_move_target> MoveTarget;
  ComPtr<IVexa_move> Move;

  EventSinks Sinks;

  // The six controller objects as they are now, copied under their lock.
  ControllerObjects Controllers() const;

  // ---- operations ----
  // Replaces the probe offsets; false (and the old offsets kept) when one is not finite.
  [[nodiscard]] bool EnterProbeOffsets(double x, double y, double z);

  // Connects the component to the controller (results_access.cpp).
  HRESULT InitialiseObject(IVexa_link* link, IVexa_axis_position_and_status* ps, LONG* success);
  // Gathers machine state and settings and computes StartPosition (results_access.cpp).
  HRESULT GetStartPosition(double* x, double* y, double* z, LONG* success);
  // completed = RunCompleted; success = 1 when the last run ended without an error and was
  // not aborted (0 while a run is under way and before the first).
  HRESULT GetPerformCircleComplete(LONG* completed, LONG* success);
  // One data set (EDataType) as points about the slow or fast scan's centre, with the
  // circle fitted to them. No data: error 7, success 0 and `out` untouched.
  HRESULT GetData(int32_t type, DataSetPoints* out, LONG* success);
  // Writes the data sets file `fileName` (".dat" added when it has no extension) into the
  // run directory. Failure: error 6 (not a bare file name) or 7 (no data, cannot write).
  HRESULT SaveData(const OptionalText& fileName, LONG* success);

  // The Radial Error View (graphics_access.cpp), one window per process: ShowGraphics opens
  // it, or brings it up to date (a nonzero rectangle moves it, a file name shows that data
  // sets file) and shows or hides it; a component that asks while another's window is open
  // takes that window over. The false status when no viewer could be started.
  HRESULT ShowGraphics(int32_t left, int32_t top, int32_t width, int32_t height,
                       const OptionalText& fileName);
  // Closes this component's viewer window and waits for its thread; the false status when
  // no viewer serves this component (never opened, or already closed).
  HRESULT ShowGraphicsComplete();
  // closed = 1 while no viewer window is open.
  HRESULT GetGraphicsClosed(LONG* closed);

  // Starts a run (run_control.cpp). S_OK when the worker started with no error pending,
  // S_FALSE otherwise. While this component's run is in progress, or once its destruction has
  // begun, a further call is refused with S_FALSE and changes nothing: no check, no event, no
  // error number.
  HRESULT PerformCircle();
  // Asks a run to stop at its next checkpoint. Does not wait.
  HRESULT Abort();
  ECircleStatus GetCurrentCircleStatus() const { return static_cast<ECircleStatus>(Status.load()); }
  // The code of the pending error number; reading clears it and its reason.
  uint32_t GetLastError();
  // What caused the pending error, when the component knows: the file, key or value behind
  // it, for the user. Empty when there is none or no more is known.
  std::string LastErrorReason() const { return lastErrorReason_.Get(); }
  // Records an error number for the client with its reason (empty when none is known).
  void RecordError(Error error, std::string reason = {});

  // Sets Status and fires OnStatusChange with it.
  void ChangeStatus(ECircleStatus status);

  // The current feature and settings as a map file header.
  MapFileHeader FeatureHeader() const;
  // The run directory as a folder; empty (the current directory) when none was formed.
  std::filesystem::path RunFolder() const;
  // What a run started now would be given: the current parameters and controller objects,
  // with the process's tolerances and limits. Taken on the client's thread.
  RunContext MakeRunContext() const;

  // Waits for every worker thread this component started (tests and the command line); never
  // for the thread it is called on.
  void WaitForRuns();
  // The owner's last reference is gone: refuses new runs, asks a running one to stop,
  // disconnects the sinks, and calls `destroy` (which deletes this component) once no code of
  // this component's runs is left to return into. That is after waiting for the runs to end,
  // or, when called on a run's thread (from inside its handler) or while a handler runs on a
  // run's thread, on the last run thread to end, without waiting. While OnGraphicsClosed is
  // being delivered, a thread of the module's own calls it once the delivery is over.
  void DestroyWhenIdle(std::function<void()> destroy);
  // Fires OnGraphicsClosed (the viewer's thread). May end the component when its owner let go
  // meanwhile: the caller touches nothing of it afterwards.
  void FireGraphicsClosedAndEndIfReleased();
  // True from the moment PerformCircle accepts a call (before its parameter check) until the
  // call is refused or the run's worker has released the lock and set RunCompleted.
  bool RunInProgress() const { return runInProgress_.load(); }

 private:
  // The tests' one way in (tests/support): how workers start, and results to read back.
  friend struct CircleDCComponentTestAccess;

  void PublishResults(RunResults results) {
    results_.Set(std::make_shared<const RunResults>(std::move(results)));
  }
  // How run workers are started: std::thread, unless a test makes the system refuse the
  // thread (std::system_error).
  using ThreadStarter = std::thread (*)(std::function<void()> body);
  static std::thread StartStdThread(std::function<void()> body);
  ThreadStarter startThread_ = &StartStdThread;

  // An open viewer takes the data sets of a run that finished (run's worker thread).
  void RefreshViewerAfterRun();
  void CloseViewerOnDestruction();

  // Records a failure of the run: its outcome, the error number for the client, Status 7 and
  // OnStatusChange(7).
  void FailRun(RunOutcome& outcome, Error error, std::string reason = {});
  // True when a run may start; else false with what is wrong in `reason`.
  [[nodiscard]] bool ParameterCheck(std::string& reason);
  // The fast scan's speed as the mode chooses it: ModeParameter when the client gives the
  // speed, MaxScanSpeed in the calibrating modes.
  double ModeFastSpeed() const;
  [[nodiscard]] bool ControllerObjectsPresent() const;
  [[nodiscard]] bool StartWorkerThread(Error pendingError);
  void RunWorker(RunContext run, Error pendingError, std::string runDirectory);
  void ChooseAndRunProcedure(RunContext& run, RunOutcome& outcome, RunResults& results);
  void JoinFinishedWorkers();
  // Whether a run thread has not yet ended its run (workersMutex_ held).
  bool AnyWorkerRunning() const;
  // Whether code of this component is still to return into on another thread: a run, or an
  // OnGraphicsClosed delivery (workersMutex_ held).
  bool Busy() const { return AnyWorkerRunning() || closedDeliveries_ > 0; }
  // Takes pendingDestroy_ when nothing is left running (workersMutex_ held).
  std::function<void()> TakeDestroyWhenIdle();

  // Settings and system settings file reads of GetStartPosition (results_access.cpp).
  [[nodiscard]] bool ReadSettings(std::string& reason);
  // SystemSettingsFileDamaged when a value of System.dat cannot be read.
  [[nodiscard]] ErrorNumber ReadSystemSettingsFile();

  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished;
  };
  mutable std::mutex controllerMutex_;  // guards the six controller object fields
  std::atomic<bool> runInProgress_{false};
  // 1 when the last run ended without an error and was not aborted.
  std::atomic<int32_t> runSucceeded_{0};
  SharedValue<PublishedRunResults> results_;
  SharedValue<std::string> lastErrorReason_;
  std::mutex workersMutex_;  // guards the fields below
  std::list<Worker> workers_;
  bool destroying_ = false;
  int32_t closedDeliveries_ = 0;  // OnGraphicsClosed deliveries under way
  // Set when the owner let go while a run or an OnGraphicsClosed delivery could not be waited
  // for: the last of them to end calls it.
  std::function<void()> pendingDestroy_;
  std::unique_ptr<ComponentViewerLink> viewerLink_;
};

}  // namespace ombrixdc
