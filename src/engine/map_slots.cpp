#include "src/engine/map_slots.h"

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

DataSetResult ApplyMap(const MapSlot& slot, const CMaDoubleArray& input) {
  DataSetResult result;
  const std::size_t n = input.GetSize();
  if (slot.values.GetSize() < n || slot.angles.GetSize() < n) {
    result.error = ErrorNumber::StoredMapUnusable;
    return result;
  }
  result.data.radii.SetSize(n);
  for (std::size_t i = 0; i < n; ++i) {
    result.data.radii[i] = input[i] + slot.values[i];
  }
  // A data set pairs every radius with one angle; map angles past the run's grid have none.
  result.data.angles.Values().assign(slot.angles.begin(),
                                     slot.angles.begin() + static_cast<std::ptrdiff_t>(n));
  return result;
}

}  // namespace ombrixdc
