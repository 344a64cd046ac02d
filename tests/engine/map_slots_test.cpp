#include "src/engine/map_slots.h"

#include <gtest/gtest.h>

namespace ombrixdc {

namespace {

CMaDoubleArray Array(std::initializer_list<double> values) {
  CMaDoubleArray a;
  for (double v : values) {
    a.Add(v);
  }
  return a;
}

// A map keeps reference minus fast at a copy of the grid's angles; applying it adds it back,
// over the run's grid only.
TEST(StoreMapAndApplyMap, DifferenceAddedBackOverTheRunsGrid) {
  const MapSlotResult stored =
      StoreMap(Array({5.0, 6.0, 7.0}), Array({4.5, 6.25, 7.0, 99.0}), Array({1.0, 2.0, 3.0}));
  ASSERT_EQ(stored.error, ErrorNumber::None);
  EXPECT_EQ(stored.slot.values.Values(), (std::vector<double>{0.5, -0.25, 0.0}));
  EXPECT_EQ(stored.slot.angles.Values(), (std::vector<double>{1.0, 2.0, 3.0}));
  const DataSetResult applied = ApplyMap(stored.slot, Array({4.5, 6.25}));
  ASSERT_EQ(applied.error, ErrorNumber::None);
  EXPECT_EQ(applied.data.radii.Values(), (std::vector<double>{5.0, 6.0}));
  EXPECT_EQ(applied.data.angles.Values(), (std::vector<double>{1.0, 2.0}));
}

TEST(StoreMapAndApplyMap, RefuseListsShorterThanTheRunsGrid) {
  const MapSlotResult stored = StoreMap(Array({5.0, 6.0, 7.0}), Array({4.5}), Array({1, 2, 3}));
  EXPECT_EQ(stored.error, ErrorNumber::StoredMapUnusable);
  EXPECT_TRUE(stored.slot.values.IsEmpty());
  const MapSlot shortValues{Array({1.0, 1.0}), Array({1.0, 2.0, 3.0})};
  const MapSlot shortAngles{Array({1.0, 1.0, 1.0}), Array({1.0, 2.0})};
  for (const MapSlot& slot : {shortValues, shortAngles}) {
    const DataSetResult r = ApplyMap(slot, Array({2.0, 3.0, 4.0}));
    EXPECT_EQ(r.error, ErrorNumber::StoredMapUnusable);
    EXPECT_TRUE(r.data.radii.IsEmpty() && r.data.angles.IsEmpty());
  }
}

}  // namespace

}  // namespace ombrixdc
