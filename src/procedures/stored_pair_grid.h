#pragma once
// Whether a stored map pair lies on the angle grid of its map file's pitch and radius, as a
// learning run writes it. A pair cut short or edited by hand can read without one damaged
// number and still cover only part of the revolution; applied, its map would be interpolated
// straight across the missing angles.
#include <array>

#include "src/engine/map_slots.h"
#include "src/files/circle_data_file.h"
#include "src/files/map_file.h"

namespace ombrixdc {

struct StoredPairGrid {
  bool gridDefined = false;  // the map file's pitch and radius give a grid
  std::array<bool, kMapSlotCount> slotOnGrid{};
  bool circleDataOnGrid = false;  // Slow and SlowMap of the circle data file

  [[nodiscard]] bool Sound() const;
};

[[nodiscard]] StoredPairGrid CheckStoredPairGrid(const MapFileHeader& header, const MapSlots& slots,
                                                 const CircleData& circle);

}  // namespace ombrixdc
