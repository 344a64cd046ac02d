#pragma once
// The simulated machine's state, shared by the controller objects. Every member function
// takes the state's mutex itself; the data members are guarded by it.
#include <array>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <random>

#include "platform/vexa/circle_scan_path.h"
#include "platform/vexa/simulated_machine.h"

namespace vexa_sim {

inline constexpr int kStatusFlagCount = static_cast<int>(StatusFlag::Count);

struct SimulatedMachine::State {
  explicit State(const MachineConfig& machineConfig);

  // ---- controller lock ----
  // True when granted; otherwise *error tells why (refused, or the wait ran out).
  [[nodiscard]] bool AcquireLock(LONG waitLimitMs, LONG* error);
  [[nodiscard]] bool ReleaseLock();

  // ---- motion (simulated time) ----
  // Advances a running scan by one point or a running move by one step.
  void Update();
  // 0 when the scan was buffered, else the error code.
  LONG StartScan(const CircleScanRequest& request);
  void StartMove(const MoveRequest& move);
  // A move that cannot be started (no target given): reported as rejected.
  void RejectMove();
  // Advances a running move by one step, then gives the move status and the tip.
  LONG PollMove(CMaPoint* tip);
  // Stop requested by a client.
  void Stop();
  // Ends any scan and move; a running move ends with moveEndStatus. The caller holds mutex.
  void StopLocked(LONG moveEndStatus);

  // ---- reads ----
  [[nodiscard]] bool ReadTip(CMaPoint* tip);  // false when tip reads are made to fail
  CMaPoint Deflection() const;
  bool PointDelivered() const;
  bool ActionCompleted() const;
  bool Engaged() const;
  std::optional<LONG> ScanRefusal() const;
  LONG Flag(StatusFlag flag) const;
  // False (and *error set) when extended status reads are made to fail.
  [[nodiscard]] bool ReadExtendedStatus(BYTE bytes[kVexaExtendedStatusBytes], LONG* error) const;
  CMaPoint FeatureToMachine(const CMaPoint& point) const;

  const MachineConfig config;
  // Orthonormal feature frame in machine coordinates.
  CMaVector frameX, frameY, frameNormal;

  mutable std::mutex mutex;
  std::condition_variable lockChanged;
  bool lockHeld = false;
  int32_t locksGranted = 0;
  int32_t locksReleased = 0;
  LONG refuseLockError = 0;
  std::optional<LONG> scanRefusal;  // scans refused, the scan object reporting this code

  LONG failMovesStatus = 0;
  std::array<LONG, kStatusFlagCount> flags{};
  int32_t goodTipReads = -1;
  bool disengaged = false;
  std::array<BYTE, kVexaExtendedStatusBytes> extendedStatus{0x00, 0x10, 0x00, 0x00};
  LONG extendedReadError = 0;
  std::function<void(int32_t)> scanPointHook;

  CMaPoint tip;
  CMaPoint deflection;
  bool pointDelivered = false;

  std::optional<CircleScanPath> scan;  // present while a scan runs
  int32_t nextScanPoint = 0;
  std::mt19937_64 noiseEngine;
  std::normal_distribution<double> unitNoise{0.0, 1.0};

  std::optional<MoveRequest> move;  // present while a move runs
  CMaPoint moveStart;
  int32_t moveStep = 0;
  int32_t moveSteps = kMoveSteps;  // of the running move
  LONG moveStatus = 0;             // 0 until the first move

  std::optional<CircleScanRequest> lastScan;
  std::optional<MoveRequest> lastMove;
  int32_t scansStarted = 0;
  int32_t stopsRequested = 0;

 private:
  // The one step of Update; returns the index of the scan point it delivered, or -1.
  int32_t StepLocked();
  void StepMoveLocked();
};

}  // namespace vexa_sim
