#include "src/component/process_state.h"

#include <utility>

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

MapSlots MapState::Slots() const {
  std::lock_guard lock(mutex_);
  return slots_;
}

MapSlot MapState::Slot(MapSlotIndex index) const {
  std::lock_guard lock(mutex_);
  return slots_[index];
}

void MapState::SetSlots(MapSlots slots) {
  std::lock_guard lock(mutex_);
  slots_ = std::move(slots);
}

void MapState::Clear() {
  SetSlots(MapSlots{});
}

MapState& ProcessMapState() {
  static MapState state;
  return state;
}

ScanState& ProcessScanState() {
  static ScanState state;
  return state;
}

ProcessTimeLimits& ProcessRunTimeLimits() {
  static ProcessTimeLimits limits;
  return limits;
}

}  // namespace ombrixdc
