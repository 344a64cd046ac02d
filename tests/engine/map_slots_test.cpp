// The map slots: a stored difference and its application to a run's angles.
#include "src/engine/map_slots.h"

#include <gtest/gtest.h>

#include "src/engine/map_grid.h"
#include "tests/engine/synthetic_scans.h"

namespace ombrixdc {

// A map keeps reference minus fast at a copy of the grid's angles; applying it on the same
// grid adds it back as it is.
TEST(StoreMapAndApplyMap, DifferenceAddedBackOnTheMapsGrid) {
  const MapSlotResult stored =
      StoreMap(Array({5.0, 6.0, 7.0}), Array({4.5, 6.25, 7.0, 99.0}), Array({1.0, 2.0, 3.0}));
  ASSERT_EQ(stored.error, ErrorNumber::None);
  EXPECT_EQ(stored.slot.values.Values(), (std::vector<double>{0.5, -0.25, 0.0}));
  const DataSetResult applied =
      ApplyMap(stored.slot, {Array({4.5, 6.25, 1.0}), Array({1.0, 2.0, 3.0})});
  ASSERT_EQ(applied.error, ErrorNumber::None);
  EXPECT_EQ(applied.data.radii.Values(), (std::vector<double>{5.0, 6.0, 1.0}));
}

// On other angles the map is a function of angle over the revolution: interpolated between
// its grid angles, round the revolution's end, and at an angle given a revolution off.
TEST(StoreMapAndApplyMap, OnOtherAnglesInterpolatesTheMapRoundTheRevolution) {
  const auto map = [](double a) { return 0.003 * std::sin(2.0 * a + 0.4) + 0.001 * std::cos(a); };
  MapSlot slot;
  slot.angles = *MapGridAngles(0.5, 8.0, kPi / 2);  // 100 angles, the last 0.0248 before +Y
  for (const double a : slot.angles) {
    slot.values.Add(map(a));
  }
  const CMaDoubleArray at =
      Array({kPi / 2 + 0.01, kPi / 2 + 0.07, 3.0, kPi / 2 + kTwoPi - 0.01, -2.0, 3.0 + 2 * kTwoPi});
  const DataSetResult r = ApplyMap(slot, {CMaDoubleArray(at.GetSize()), at});
  ASSERT_EQ(r.error, ErrorNumber::None);
  EXPECT_EQ(r.data.angles.Values(), at.Values());
  for (std::size_t i = 0; i < at.GetSize(); ++i) {
    EXPECT_NEAR(r.data.radii[i], map(at[i]), 5e-8) << at[i];
  }
}

TEST(StoreMapAndApplyMap, RefuseListsThatGiveNoMap) {
  const MapSlotResult stored = StoreMap(Array({5.0, 6.0, 7.0}), Array({4.5}), Array({1, 2, 3}));
  EXPECT_EQ(stored.error, ErrorNumber::StoredMapUnusable);
  EXPECT_TRUE(stored.slot.values.IsEmpty());
  const DataSet run{Array({2.0, 3.0, 4.0}), Array({1.5, 2.5, 3.5})};
  const MapSlot unusable[] = {
      {},                                                          // nothing stored
      {Array({1.0, 1.0}), Array({1.0, 2.0, 3.0, 4.0})},            // values and angles differ
      {Array({1.0, 1.0, 1.0}), Array({1.0, 2.0, 3.0})},            // three angles: no cubic
      {Array({1.0, 1.0, 1.0, 1.0}), Array({1.0, 3.0, 2.0, 4.0})},  // not increasing
      {Array({1.0, 1.0, 1.0, 1.0}), Array({1.0, 2.0, 3.0, 7.5})},  // more than a revolution
  };
  for (const MapSlot& slot : unusable) {
    const DataSetResult r = ApplyMap(slot, run);
    EXPECT_EQ(r.error, ErrorNumber::StoredMapUnusable) << slot.angles.GetSize();
    EXPECT_TRUE(r.data.radii.IsEmpty() && r.data.angles.IsEmpty());
  }
  const MapSlot good{Array({1.0, 1.0, 1.0, 1.0}), Array({1.0, 2.0, 3.0, 4.0})};
  EXPECT_EQ(ApplyMap(good, run).error, ErrorNumber::None);
  EXPECT_EQ(ApplyMap(good, {Array({2.0}), Array({1.0, 2.0})}).error,
            ErrorNumber::StoredMapUnusable);
}

}  // namespace ombrixdc
