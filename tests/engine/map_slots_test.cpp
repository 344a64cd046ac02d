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

TEST(StoreMap, KeepsTheDifferencesAtACopyOfTheAngles) {
  const MapSlotResult r =
      StoreMap(Array({5.0, 6.0, 7.0}), Array({4.5, 6.25, 7.0, 99.0}), Array({1.0, 2.0, 3.0}));
  ASSERT_EQ(r.error, ErrorNumber::None);
  EXPECT_EQ(r.slot.values.Values(), (std::vector<double>{0.5, -0.25, 0.0}));
  EXPECT_EQ(r.slot.angles.Values(), (std::vector<double>{1.0, 2.0, 3.0}));
}

TEST(StoreMap, RefusesASubtrahendShorterThanTheMinuend) {
  const MapSlotResult r = StoreMap(Array({5.0, 6.0, 7.0}), Array({4.5}), Array({1, 2, 3}));
  EXPECT_EQ(r.error, ErrorNumber::StoredMapUnusable);
  EXPECT_TRUE(r.slot.values.IsEmpty());
}

TEST(ApplyMap, AddsTheSlotAndTakesItsAngles) {
  const MapSlot slot{Array({0.5, -0.25, 0.0}), Array({1.0, 2.0, 3.0})};
  const DataSetResult r = ApplyMap(slot, Array({4.5, 6.25, 7.0}));
  ASSERT_EQ(r.error, ErrorNumber::None);
  EXPECT_EQ(r.data.radii.Values(), (std::vector<double>{5.0, 6.0, 7.0}));
  EXPECT_EQ(r.data.angles.Values(), (std::vector<double>{1.0, 2.0, 3.0}));
}

TEST(ApplyMap, UsesALongerMapOnlyOverTheRunsGrid) {
  const MapSlot slot{Array({1.0, 1.0, 1.0, 1.0}), Array({1.0, 2.0, 3.0, 4.0})};
  const DataSetResult r = ApplyMap(slot, Array({2.0, 3.0}));
  ASSERT_EQ(r.error, ErrorNumber::None);
  EXPECT_EQ(r.data.radii.Values(), (std::vector<double>{3.0, 4.0}));
  EXPECT_EQ(r.data.angles.Values(), (std::vector<double>{1.0, 2.0}));
}

TEST(ApplyMap, RefusesAMapShorterThanTheRunsGrid) {
  const MapSlot shortValues{Array({1.0, 1.0}), Array({1.0, 2.0, 3.0})};
  const MapSlot shortAngles{Array({1.0, 1.0, 1.0}), Array({1.0, 2.0})};
  for (const MapSlot& slot : {shortValues, shortAngles, MapSlot{}}) {
    const DataSetResult r = ApplyMap(slot, Array({2.0, 3.0, 4.0}));
    EXPECT_EQ(r.error, ErrorNumber::StoredMapUnusable);
    EXPECT_TRUE(r.data.radii.IsEmpty());
    EXPECT_TRUE(r.data.angles.IsEmpty());
  }
}

}  // namespace

}  // namespace ombrixdc
