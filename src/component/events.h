#pragma once
// Events of a component, delivered to every connected sink synchronously, in connection order.
//
// A run's events (OnStatusChange, PerformCircleComplete) are delivered one at a time, in the
// order they were raised, so a run's PerformCircleComplete reaches every sink before any event
// of a later run. An event raised while none is being delivered goes out on the raising thread
// before the raise returns. One raised while a thread is delivering (from inside a handler: a
// client that starts the next run from its PerformCircleComplete handler; or from another
// thread) is queued, and the delivering thread delivers it next; the raising thread never waits
// for it, since the handler being called may itself wait for a lock the client holds around
// its call. OnGraphicsClosed goes out at once on the viewer's thread.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ombrixdc {

class CircleDCEvents {
 public:
  virtual ~CircleDCEvents() = default;
  virtual void OnStatusChange(int32_t currentStatus) = 0;
  virtual void PerformCircleComplete(int32_t success) = 0;
  virtual void OnGraphicsClosed() = 0;
};

class EventSinks {
 public:
  // Connects a sink; the cookie disconnects it. Cookies start at 1.
  uint32_t Connect(std::shared_ptr<CircleDCEvents> sink);
  // False when no sink has that cookie.
  bool Disconnect(uint32_t cookie);
  void DisconnectAll();
  size_t Count() const;

  void FireOnStatusChange(int32_t currentStatus) const;
  void FirePerformCircleComplete(int32_t success) const;
  void FireOnGraphicsClosed() const;
  // Waits up to `limit` until no thread other than the calling one is delivering a run's
  // events (and so may be inside a handler); false when one still is.
  bool WaitUntilNoneDeliveringElsewhere(std::chrono::milliseconds limit) const;

 private:
  struct Entry {
    uint32_t cookie;
    std::shared_ptr<CircleDCEvents> sink;
  };
  struct RunEvent {
    bool complete;  // PerformCircleComplete, else OnStatusChange
    int32_t value;
  };
  // A copy of the list, so a sink may connect or disconnect sinks while being called.
  std::vector<Entry> Snapshot() const;
  void DeliverInOrder(RunEvent event) const;
  void Deliver(RunEvent event) const;

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
  uint32_t nextCookie_ = 1;

  // Run events waiting for delivery, and who is delivering them.
  mutable std::mutex orderMutex_;
  mutable std::condition_variable idle_;  // nobody delivers
  mutable std::deque<RunEvent> queue_;
  mutable std::thread::id deliverer_;  // none while nobody delivers
};

}  // namespace ombrixdc
