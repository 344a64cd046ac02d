#pragma once
// Lets the main thread wait for a run's PerformCircleComplete, and lets a stop signal wake that
// wait early so the run can be asked to abort.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

class CompletionLatch {
 public:
  void Complete(int32_t success) {
    std::lock_guard lock(mutex_);
    success_ = success;
    changed_.notify_all();
  }
  // Forgets an earlier run's completion (a stop signal stays noted).
  void Reset() {
    std::lock_guard lock(mutex_);
    success_.reset();
  }
  void Interrupt() {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    changed_.notify_all();
  }
  // The PerformCircleComplete value; nullopt when none arrived within `timeout`, or when
  // Interrupt was called before it arrived.
  std::optional<int32_t> Wait(std::chrono::duration<double> timeout) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return success_ || interrupted_; });
    interrupted_ = false;
    return success_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<int32_t> success_;
  bool interrupted_ = false;
};
