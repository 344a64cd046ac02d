#pragma once
// State shared by every component object in the process, in one place. Each concern has one
// object; its comment says who writes and who reads it. A run never reads these behind its
// back: the worker copies what a run needs into its RunContext when the run starts, and
// writes back through the component.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "src/files/map_file.h"
#include "src/procedures/run_limits.h"

namespace ombrixdc {

// Start-position tolerance and the stored map found for the current feature.
struct RunControlState {
  // Written by every settings read (GetStartPosition, client thread) and by the system
  // settings file in offline testing; read by PerformCircle's start-position checks.
  std::atomic<double> positionalTolerance{0.01};
  // Written by a run's worker when it searches the stored maps (0: none found); the run
  // itself uses the number it found, kept in its RunContext.
  std::atomic<int32_t> mapNumber{0};
};
RunControlState& ProcessRunControlState();

// Tolerances used when a stored map's header is compared with the current feature.
// Written by the system settings file (offline testing, client thread); copied into each
// run's RunContext when it starts.
class MapMatchTolerances {
 public:
  MatchTolerances Get() const;
  void Set(const MatchTolerances& tolerances);

 private:
  // One lock for all six, so a run never copies half of one file's tolerances.
  mutable std::mutex mutex_;
  MatchTolerances tolerances_;
};

MapMatchTolerances& ProcessMapMatchTolerances();

// Time limits of moves and scans, copied into each run's RunContext when it starts. Changed
// only by tests (to reach the limit without waiting a minute), before they start a run.
struct ProcessTimeLimits {
  std::atomic<int64_t> baseMilliseconds{RunTimeLimits{}.baseMilliseconds};
  std::atomic<double> factor{RunTimeLimits{}.factor};

  RunTimeLimits Get() const { return {baseMilliseconds.load(), factor.load()}; }
};
ProcessTimeLimits& ProcessRunTimeLimits();

// Components released while a run was going, which their last run thread destroys once the
// run has ended (the releasing thread does not wait: it may hold a lock that a handler of the
// run needs). Written by those threads; read at process exit, which waits a bounded time for
// them so that no run thread goes on through the library's teardown, and by DllCanUnloadNow.
class OrphanedComponents {
 public:
  ~OrphanedComponents();
  // A component's destruction was handed to its run thread.
  void Add();
  // That thread has destroyed it.
  void Done();
  int32_t Count() const;
  // Waits until none is left, or `limit` has passed.
  void WaitUntilNone(std::chrono::milliseconds limit) const;
  // A run thread that destroyed its own component: it still returns through this library's
  // code after Done, so the library may be unloaded only once it has been joined.
  void Retire(std::thread thread);
  // Runs `destroy` and then Done on a thread of this library's own, kept like a retired one.
  // False when the system refuses the thread.
  [[nodiscard]] bool DestroyOnOwnThread(const std::function<void()>& destroy);
  // True when no component is left to destroy and every retired thread has ended (joined
  // here: each is past Done and about to end).
  bool AllEnded();

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable none_;
  int32_t count_ = 0;
  bool waitAtExit_ = false;
  std::vector<std::thread> retired_;
};
OrphanedComponents& ProcessOrphanedComponents();

}  // namespace ombrixdc
