#include "src/component/events.h"

#include <algorithm>

namespace ombrixdc {

uint32_t EventSinks::Connect(std::shared_ptr<CircleDCEvents> sink) {
  std::lock_guard lock(mutex_);
  const uint32_t cookie = nextCookie_++;
  entries_.push_back({cookie, std::move(sink)});
  return cookie;
}

bool EventSinks::Disconnect(uint32_t cookie) {
  std::lock_guard lock(mutex_);
  const auto it = std::find_if(entries_.begin(), entries_.end(),
                               [cookie](const Entry& e) { return e.cookie == cookie; });
  if (it == entries_.end()) {
    return false;
  }
  entries_.erase(it);
  return true;
}

void EventSinks::DisconnectAll() {
  std::lock_guard lock(mutex_);
  entries_.clear();
}

size_t EventSinks::Count() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

std::vector<EventSinks::Entry> EventSinks::Snapshot() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

void EventSinks::FireOnStatusChange(int32_t currentStatus) const {
  DeliverInOrder({false, currentStatus});
}

void EventSinks::FirePerformCircleComplete(int32_t success) const {
  DeliverInOrder({true, success});
}

void EventSinks::Deliver(RunEvent event) const {
  for (const Entry& e : Snapshot()) {
    if (!e.sink) {
      continue;
    }
    if (event.complete) {
      e.sink->PerformCircleComplete(event.value);
    } else {
      e.sink->OnStatusChange(event.value);
    }
  }
}

void EventSinks::DeliverInOrder(RunEvent event) const {
  std::unique_lock lock(orderMutex_);
  queue_.push_back(event);
  if (deliverer_ != std::thread::id()) {
    return;  // the delivering thread takes it once the events before it are through
  }
  deliverer_ = std::this_thread::get_id();
  while (!queue_.empty()) {
    const RunEvent next = queue_.front();
    queue_.pop_front();
    lock.unlock();
    Deliver(next);
    lock.lock();
  }
  deliverer_ = std::thread::id();
  idle_.notify_all();
}

bool EventSinks::WaitUntilNoneDeliveringElsewhere(std::chrono::milliseconds limit) const {
  std::unique_lock lock(orderMutex_);
  return idle_.wait_for(lock, limit, [this] {
    return deliverer_ == std::thread::id() || deliverer_ == std::this_thread::get_id();
  });
}

void EventSinks::FireOnGraphicsClosed() const {
  for (const Entry& e : Snapshot()) {
    if (e.sink) {
      e.sink->OnGraphicsClosed();
    }
  }
}

}  // namespace ombrixdc
