#pragma once
// A simulated machine behind the controller interfaces: a circle feature in its own frame,
// a probe whose tip moves in that frame, a controller lock, moves and circle scans that run
// in simulated time (each Update advances them one step), and fault injection for tests.
// A scan reads the real feature (size, centre and form errors) through the machine's
// dynamics and noise, so that a fast scan deviates repeatably from a slow one.
// Thread-safe: the run's worker polls it while a test thread injects faults.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/com/com_ptr.h"
#include "platform/trivell/geometry.h"
#include "platform/vexa/dynamics_model.h"
#include "platform/vexa/feature_model.h"
#include "platform/vexa/interfaces.h"

namespace vexa_sim {

struct MachineConfig {
  // Feature frame in machine coordinates.
  CMaPoint featureCentre{0.0, 0.0, 0.0};
  CMaPoint featureXaxis{1.0, 0.0, 0.0};
  CMaPoint featureNormal{0.0, 0.0, 1.0};
  // Probe and head as the probe information and head objects report them.
  int32_t measuringUnit = 0;  // 0 mm, 1 inches
  int32_t probeType = 1;
  int32_t headFlag = 0;
  double headAngleA = 0.0;
  double headAngleB = 0.0;
  // Error code the link reports when its lock cannot be had in time.
  LONG lockTimeoutError = static_cast<LONG>(0x81600050u);
  // The real feature, the machine's dynamic error and its noise; the defaults are a
  // realistic machine (see feature_model.h and dynamics_model.h for the values).
  FeatureModel feature;
  DynamicsModel dynamics;
  NoiseModel noise;

  // A perfect machine: the feature exactly as commanded, no dynamic error, no noise. The
  // frame, probe and head are the defaults above. LoadMachineDescription
  // (machine_description.h) reads a configuration from a file.
  static MachineConfig Ideal();
};

// Error codes the simulated controller reports through GetLastError (link, circle scan, axis
// position and status). Clear of the codes the status check maps flags to.
// kErrorNoMachine: no link, a link of another controller, or an object not initialised.
inline constexpr LONG kErrorNoMachine = static_cast<LONG>(0x81600060u);
inline constexpr LONG kErrorIllegalScanParameter = static_cast<LONG>(0x81600061u);
inline constexpr LONG kErrorMachineBusy = static_cast<LONG>(0x81600062u);  // another motion runs
inline constexpr LONG kErrorDisengaged = static_cast<LONG>(0x81600063u);
inline constexpr LONG kErrorTipRead = static_cast<LONG>(0x81600064u);
inline constexpr LONG kErrorLockNotHeld = static_cast<LONG>(0x81600065u);

// The simulator's own move statuses; a client takes either as a failed move.
inline constexpr LONG kMoveStopped = 0x1000;   // ended by Stop or by disengaging
inline constexpr LONG kMoveRejected = 0x2000;  // not started: bad target, busy, disengaged

// A move takes one simulation step (an Update or GetMoveStatus call) per kMoveStepSeconds of
// travel at its speed, so a client that polls every 30 ms sees it take about its real time;
// never fewer than kMoveSteps steps, so that a move is seen running, nor more than
// kMaxMoveSteps, so that a slow or long move does not hold a test up.
inline constexpr double kMoveStepSeconds = 0.03;
inline constexpr int32_t kMoveSteps = 4;
inline constexpr int32_t kMaxMoveSteps = 40;
// Longest scan the controller buffers; a longer one is an illegal parameter.
inline constexpr int32_t kMaxScanPoints = 1000000;

// The arguments of the last accepted StartCircleScan, as given.
struct CircleScanRequest {
  LONG mode = 0;
  BYTE boreOrBoss = 0;
  BYTE scanDirection = 0;
  LONG pointMode = 0;
  LONG reserved = 0;
  // The circle the tip centre is commanded on; the nominal feature lies a tip radius beyond
  // it for a bore (boreOrBoss 0), a tip radius inside it for a boss.
  double pathDiameter = 0.0;
  CMaPoint centre;
  CMaPoint axis{0.0, 0.0, 1.0};
  double startAngle = 0.0;  // degrees
  double overtravel = 0.0;  // degrees beyond one revolution
  double reserved1 = 0.0, reserved2 = 0.0;
  double tipDiameter = 0.0;
  double deflection = 0.0;
  double speed = 0.0;        // mm/s along the path
  double bufferPitch = 0.0;  // path length between buffered points
  double reserved3 = 0.0, reserved4 = 0.0, reserved5 = 0.0;
};

// A move as StartMove received it: a rotation of the tip about `axis` through the feature
// origin by `angle` degrees (anticlockwise about the axis), or a straight line to `target`.
struct MoveRequest {
  bool rotation = false;
  CMaPoint target;
  CMaPoint axis{0.0, 0.0, 1.0};
  double angle = 0.0;
  double speed = 0.0;
};

// Which status flags exist, in the order the scan's status check reads them.
enum class StatusFlag : int32_t {
#define VEXA_SIM_FLAG_ENUM(name) name,
  VEXA_STATUS_FLAGS(VEXA_SIM_FLAG_ENUM)
#undef VEXA_SIM_FLAG_ENUM
      Count
};

class SimulatedMachine {
 public:
  explicit SimulatedMachine(MachineConfig config = {});
  ~SimulatedMachine();
  SimulatedMachine(const SimulatedMachine&) = delete;
  SimulatedMachine& operator=(const SimulatedMachine&) = delete;

  const MachineConfig& Config() const;

  // Probe tip centre in the feature frame.
  void SetTip(const CMaPoint& tip);
  CMaPoint Tip() const;

  // Lock bookkeeping, for tests.
  bool LockHeld() const;
  int32_t LocksGranted() const;
  int32_t LocksReleased() const;

  // ---- fault injection (each stays in force until changed) ----
  // getLock fails at once with this error code; 0 restores normal locking.
  void RefuseLock(LONG errorCode);
  // StartCircleScan fails and the scan object's GetLastError gives this code, which may be 0
  // (a controller that refuses without saying why); no value restores normal scans.
  void RefuseScans(std::optional<LONG> errorCode);
  // Moves end half way with this status instead of completing (kVexaMoveRunning: they never
  // end); 0 restores normal moves.
  void FailMoves(LONG finalStatus);
  void SetStatusFlag(StatusFlag flag, LONG value);
  // getTip succeeds this many more times, then fails; a negative count means never fail.
  void FailTipReadsAfter(int32_t goodReads);
  // ControllerState reports disengaged; disengaging stops any motion and, while disengaged,
  // scans and moves are refused.
  void Disengage(bool disengaged);
  // The bytes getExtendedStatus reports (defaults: byte 1 = 0x10, the scan finished properly);
  // a nonzero readError makes the read fail and the object report that error.
  void SetExtendedStatus(int index, BYTE value);
  void FailExtendedStatusRead(LONG readError);
  // Called after each Update that delivered a scan point, with the point's index (from 0),
  // on the polling thread and outside the machine's lock, so that a test can inject a fault
  // at an exact point of a scan that is polled back to back. An empty function removes it.
  void OnScanPoint(std::function<void(int32_t pointIndex)> hook);

  // ---- what the clients asked for (accepted scans and moves only), for tests ----
  std::optional<CircleScanRequest> LastScan() const;
  std::optional<MoveRequest> LastMove() const;
  int32_t ScansStarted() const;
  int32_t StopsRequested() const;

  // The machine coordinates of a point of the feature frame (what the frame object reports).
  CMaPoint FeatureToMachine(const CMaPoint& point) const;

  // Internal state shared with the controller objects.
  struct State;
  State& Internal();

 private:
  std::unique_ptr<State> state_;
};

// A link to the machine (the object a measuring application hands to the component).
ComPtr<IVexa_link> MakeSimulatedLink(std::shared_ptr<SimulatedMachine> machine);

// Registers the controller's classes (axis position and status, stop, circle scan, move,
// move target, probe info, head, frame, settings, error object) in this process. Idempotent.
void RegisterSimulatedController();

}  // namespace vexa_sim
