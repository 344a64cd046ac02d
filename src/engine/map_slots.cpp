#include "src/engine/map_slots.h"

#include <optional>

#include "src/engine/map_grid.h"

namespace ombrixdc {

MapSlotResult StoreMap(const CMaDoubleArray& a, const CMaDoubleArray& b,
                       const CMaDoubleArray& angles) {
  MapSlotResult result;
  if (b.GetSize() < a.GetSize()) {
    result.error = ErrorNumber::StoredMapUnusable;
    return result;
  }
  result.slot.values.SetSize(a.GetSize());
  for (std::size_t i = 0; i < a.GetSize(); ++i) {
    result.slot.values[i] = a[i] - b[i];
  }
  result.slot.angles = angles;
  return result;
}

DataSetResult ApplyMap(const MapSlot& slot, const DataSet& input) {
  DataSetResult result;
  const std::size_t n = input.radii.GetSize();
  std::optional<CMaDoubleArray> interpolated;
  const bool sameGrid = slot.values.GetSize() == n && slot.angles.Values() == input.angles.Values();
  if (!sameGrid) {
    interpolated = InterpolatePeriodic(slot.angles, slot.values, input.angles);
  }
  if (input.angles.GetSize() != n || (!sameGrid && !interpolated)) {
    result.error = ErrorNumber::StoredMapUnusable;
    return result;
  }
  const CMaDoubleArray& values = sameGrid ? slot.values : *interpolated;
  result.data.radii.SetSize(n);
  for (std::size_t i = 0; i < n; ++i) {
    result.data.radii[i] = input.radii[i] + values[i];
  }
  result.data.angles = input.angles;
  return result;
}

}  // namespace ombrixdc
