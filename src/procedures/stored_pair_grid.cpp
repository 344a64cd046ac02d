#include "src/procedures/stored_pair_grid.h"

#include <algorithm>
#include <optional>

#include "src/engine/map_grid.h"

namespace ombrixdc {

bool StoredPairGrid::Sound() const {
  return gridDefined && circleDataOnGrid &&
         std::all_of(slotOnGrid.begin(), slotOnGrid.end(), [](bool on) { return on; });
}

StoredPairGrid CheckStoredPairGrid(const MapFileHeader& header, const MapSlots& slots,
                                   const CircleData& circle) {
  StoredPairGrid check;
  const std::optional<CMaDoubleArray> grid =
      MapGridAngles(header.mapPitch, header.radius, kMapGridStartAngle);
  if (!grid) {
    return check;
  }
  check.gridDefined = true;
  for (std::size_t k = 0; k < kMapSlotCount; ++k) {
    check.slotOnGrid[k] = SameGridAngles(slots.slot[k].angles, *grid) &&
                          slots.slot[k].values.GetSize() == grid->GetSize();
  }
  check.circleDataOnGrid = SameGridAngles(circle.slow.angles, *grid) &&
                           circle.slow.radii.GetSize() == grid->GetSize() &&
                           SameGridAngles(circle.slowMap.angles, *grid) &&
                           circle.slowMap.radii.GetSize() == grid->GetSize();
  return check;
}

}  // namespace ombrixdc
