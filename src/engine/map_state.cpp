#include "src/engine/map_state.h"

#include <utility>

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

void MapState::SetSlot(MapSlotIndex index, MapSlot slot) {
  std::lock_guard lock(mutex_);
  slots_[index] = std::move(slot);
}

void MapState::Clear() {
  SetSlots(MapSlots{});
}

MapState& ProcessMapState() {
  static MapState state;
  return state;
}
