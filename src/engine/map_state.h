#pragma once
// The compensation map of the process: the last map learnt or read from a map file by any
// component in the process, and the start angle of the map grid.
#include <mutex>

#include "src/engine/map_grid.h"
#include "src/engine/map_slots.h"

class MapState {
 public:
  // MapGridStartAngle: fixed when the module loads; read by whoever builds a map grid.
  const double mapGridStartAngle = kMapGridStartAngle;

  // MapSlots. Written by a learning run's worker (PreMapData after the slow scan, DcMapData
  // and PremappedDcMapData after the fast scan) and by the map file reader of a compensated
  // run's worker; read by those workers to correct a fast scan and by the map file writer.
  // Empty until the first learning run or map file read. Two components running at once
  // still replace each other's map (the last writer wins), but the lock means a reader never
  // sees a slot half written.
  MapSlots Slots() const;
  MapSlot Slot(MapSlotIndex index) const;
  void SetSlots(MapSlots slots);
  void SetSlot(MapSlotIndex index, MapSlot slot);
  // Back to the start-up state (empty slots).
  void Clear();

 private:
  mutable std::mutex mutex_;
  MapSlots slots_;
};

MapState& ProcessMapState();
