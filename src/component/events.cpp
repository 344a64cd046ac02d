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
  for (const Entry& e : Snapshot()) {
    if (e.sink) {
      e.sink->OnStatusChange(currentStatus);
    }
  }
}

void EventSinks::FirePerformCircleComplete(int32_t success) const {
  for (const Entry& e : Snapshot()) {
    if (e.sink) {
      e.sink->PerformCircleComplete(success);
    }
  }
}

void EventSinks::FireOnGraphicsClosed() const {
  for (const Entry& e : Snapshot()) {
    if (e.sink) {
      e.sink->OnGraphicsClosed();
    }
  }
}

}  // namespace ombrixdc
