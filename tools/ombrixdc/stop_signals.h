#pragma once
// Ctrl-C (SIGINT) and SIGTERM while a run drives the machine. Killing the process would leave a
// real machine scanning, so the first signal asks the run to abort and lets it stop the machine
// and end; a second signal ends the process at once.
//
// The signals are blocked in every thread and taken by a thread of their own with sigwait, so
// nothing runs in a signal handler: the abort request is an ordinary call on that thread.
#include <atomic>
#include <functional>
#include <thread>

// Exit status of a run that ended because a signal asked it to abort.
inline constexpr int kExitAborted = 3;

class StopSignals {
 public:
  // Must be made before any other thread is started, so that every thread inherits the
  // blocked signals. `onFirst` is called on the signal thread when the first signal arrives.
  explicit StopSignals(std::function<void()> onFirst);
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // True once a signal asked the run to stop.
  bool Received() const { return received_.load() != 0; }

 private:
  void Watch();

  std::function<void()> onFirst_;
  std::atomic<int> received_{0};
  std::atomic<bool> closing_{false};
  std::thread watcher_;
};
