#pragma once
// Field wrappers for values that the client's thread and a run's worker thread (or the
// viewer's) read and write without coordinating: scalars are atomic words, larger values
// are copied in and out under a small lock, so a reader never sees half a write.
#include <atomic>
#include <mutex>
#include <utility>

namespace ombrixdc {

template <class T>
class SharedScalar {
 public:
  explicit SharedScalar(T initial) : value_(initial) {}
  T Get() const { return value_.load(); }
  void Set(T value) { value_.store(value); }

 private:
  std::atomic<T> value_;
};

template <class T>
class SharedValue {
 public:
  explicit SharedValue(T initial = T{}) : value_(std::move(initial)) {}
  T Get() const {
    std::lock_guard lock(mutex_);
    return value_;
  }
  void Set(T value) {
    std::lock_guard lock(mutex_);
    value_ = std::move(value);
  }

 private:
  mutable std::mutex mutex_;
  T value_;
};

}  // namespace ombrixdc
