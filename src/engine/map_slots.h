#pragma once
// The compensation map: three slots of differences on the map grid, and the two operations
// that fill a slot and add a slot to a profile.
#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/trivell/geometry.h"
#include "src/engine/error_number.h"
#include "src/engine/profile.h"

namespace ombrixdc {

enum class MapSlotIndex : int32_t {
  PreMapData = 0,          // least-squares radius of the slow scan minus the filtered slow
  DcMapData = 1,           // Slow minus Fast: the dynamic error the fast scan makes
  PremappedDcMapData = 2,  // SlowMap minus FastMap
};
inline constexpr std::size_t kMapSlotCount = 3;

// Difference values at their grid angles.
struct MapSlot {
  CMaDoubleArray values;
  CMaDoubleArray angles;
};

struct MapSlots {
  std::array<MapSlot, kMapSlotCount> slot;

  MapSlot& operator[](MapSlotIndex i) { return slot[static_cast<std::size_t>(i)]; }
  const MapSlot& operator[](MapSlotIndex i) const { return slot[static_cast<std::size_t>(i)]; }
};

struct [[nodiscard]] MapSlotResult {
  ErrorNumber error = ErrorNumber::None;
  MapSlot slot;
};

// values[i] = a[i] - b[i] for every i of a; angles copied. Fails with
// ErrorNumber::StoredMapUnusable (nothing computed) when b is shorter than a.
MapSlotResult StoreMap(const CMaDoubleArray& a, const CMaDoubleArray& b,
                       const CMaDoubleArray& angles);

// The map added to a data set: radii[i] = input.radii[i] + the slot's value at
// input.angles[i], at the input's angles. On the slot's own grid the stored values are added
// as they are; on another one (a map learnt at a feature radius within the matching tolerance
// of this run's, whose angle step differs) the map, a function of angle over the whole
// revolution, is interpolated onto the input's angles. An unusable slot (empty, fewer than
// four values, values and angles of different lengths, angles not increasing within one
// revolution) or input (radii and angles of different lengths): ErrorNumber::StoredMapUnusable
// and nothing computed.
DataSetResult ApplyMap(const MapSlot& slot, const DataSet& input);

}  // namespace ombrixdc
