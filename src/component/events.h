#pragma once
// Events of a component, delivered to every connected sink synchronously, on the thread
// that raises them, in connection order.
#include <cstdint>
#include <memory>
#include <mutex>
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

 private:
  struct Entry {
    uint32_t cookie;
    std::shared_ptr<CircleDCEvents> sink;
  };
  // A copy of the list, so a sink may connect or disconnect sinks while being called.
  std::vector<Entry> Snapshot() const;

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
  uint32_t nextCookie_ = 1;
};

}  // namespace ombrixdc
