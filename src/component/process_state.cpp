#include "src/component/process_state.h"

#include <cstdlib>
#include <system_error>

namespace ombrixdc {

RunControlState& ProcessRunControlState() {
  static RunControlState state;
  return state;
}

MatchTolerances MapMatchTolerances::Get() const {
  std::lock_guard lock(mutex_);
  return tolerances_;
}

void MapMatchTolerances::Set(const MatchTolerances& tolerances) {
  std::lock_guard lock(mutex_);
  tolerances_ = tolerances;
}

MapMatchTolerances& ProcessMapMatchTolerances() {
  static MapMatchTolerances tolerances;
  return tolerances;
}

ProcessTimeLimits& ProcessRunTimeLimits() {
  static ProcessTimeLimits limits;
  return limits;
}

void OrphanedComponents::Add() {
  std::lock_guard lock(mutex_);
  ++count_;
  if (!waitAtExit_) {
    waitAtExit_ = true;
    // Registered after this object was made, so it runs before this object goes. An aborted
    // run ends within its stop's time; a run held up for longer by a handler of the host's is
    // left, as it would have been without the wait.
    std::atexit([] { ProcessOrphanedComponents().WaitUntilNone(std::chrono::seconds(10)); });
  }
}

void OrphanedComponents::Done() {
  std::lock_guard lock(mutex_);
  if (--count_ == 0) {
    none_.notify_all();
  }
}

OrphanedComponents::~OrphanedComponents() {
  // At exit: a thread still going (see WaitUntilNone's limit) is left to the process's end.
  for (std::thread& thread : retired_) {
    thread.detach();
  }
}

void OrphanedComponents::Retire(std::thread thread) {
  std::lock_guard lock(mutex_);
  retired_.push_back(std::move(thread));
}

bool OrphanedComponents::DestroyOnOwnThread(const std::function<void()>& destroy) {
  // Added under the lock that Done takes, so AllEnded never misses the thread.
  std::lock_guard lock(mutex_);
  try {
    retired_.emplace_back([this, destroy] {
      destroy();
      Done();
    });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

bool OrphanedComponents::AllEnded() {
  std::lock_guard lock(mutex_);
  if (count_ != 0) {
    return false;
  }
  for (std::thread& thread : retired_) {
    if (thread.get_id() == std::this_thread::get_id()) {
      return false;
    }
  }
  for (std::thread& thread : retired_) {
    thread.join();
  }
  retired_.clear();
  return true;
}

int32_t OrphanedComponents::Count() const {
  std::lock_guard lock(mutex_);
  return count_;
}

void OrphanedComponents::WaitUntilNone(std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  none_.wait_for(lock, limit, [this] { return count_ == 0; });
}

OrphanedComponents& ProcessOrphanedComponents() {
  static OrphanedComponents orphans;
  return orphans;
}

}  // namespace ombrixdc
