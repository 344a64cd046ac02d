// Learning and compensated runs on the map grid, and the map slots they store and apply.
#include "src/engine/compensation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "src/engine/circle_preparation.h"
#include "src/engine/map_slots.h"
#include "tests/engine/scan_samples.h"

namespace ombrixdc {

namespace {

using namespace engine_test;

CMaDoubleArray Array(std::initializer_list<double> values) {
  CMaDoubleArray a;
  for (double v : values) {
    a.Add(v);
  }
  return a;
}

double FormError(double a) {
  return 10.0 + 0.004 * std::sin(3.0 * a) + 0.002 * std::cos(7.0 * a);
}

CompensationParameters Parameters(double featureRadius = 10.0) {
  return {.filterMethod = 1, .filterNumber = 20, .mapPitch = 0.5, .featureRadius = featureRadius};
}

// The fast scan reads the same part with a lag error and at slightly different angles.
RadialProfile FastOf(double (*part)(double)) {
  RadialProfile p;
  for (std::size_t i = 0; i < 3000; ++i) {
    const double a = kPi / 2 + 0.0007 + kTwoPi * static_cast<double>(i) / 3000.0;
    p.angles.Add(a);
    p.radii.Add(part(a) + 0.003 * std::sin(2.0 * a + 0.4));
  }
  return p;
}

// Identical scans give a zero map and corrected results equal to the fast ones; a perfect
// circle gives a zero premap, its slow map equal to its slow scan.
TEST(ComputeLearning, IdenticalScansGiveAZeroMap_APerfectCircleAZeroPremap) {
  const RadialProfile scan = ProfileOf(3600, FormError);
  const LearningResult r = ComputeLearning(Parameters(), scan, scan);
  ASSERT_EQ(r.error, ErrorNumber::None);
  for (const MapSlotIndex k : {MapSlotIndex::DcMapData, MapSlotIndex::PremappedDcMapData}) {
    EXPECT_EQ(r.slots[k].values.Values(), std::vector<double>(125, 0.0));
  }
  EXPECT_EQ(r.dataSets.corrected.radii.Values(), r.dataSets.fast.radii.Values());
  EXPECT_EQ(r.dataSets.correctedMap.radii.Values(), r.dataSets.fastMap.radii.Values());

  const LearningResult circle =
      ComputeLearning(Parameters(), ProfileOf(3600, [](double) { return 10.0; }),
                      FastOf([](double) { return 10.0; }));
  ExpectNear(circle.slots[MapSlotIndex::PreMapData].values, CMaDoubleArray(125), 1e-12);
}

TEST(ComputeReference, SlowMapIsTheLeastSquaresRadiusOfTheUnfilteredScan) {
  const RadialProfile slow = ProfileOf(3600, FormError);
  const ReferenceResult r = ComputeReference(Parameters(), slow);
  ASSERT_EQ(r.error, ErrorNumber::None);
  const double radius = FitProfileCircle(slow.radii, slow.angles).radius;
  ASSERT_EQ(r.slowMap.radii.GetSize(), 125u);
  for (std::size_t k = 0; k < 125; ++k) {
    EXPECT_NEAR(r.slowMap.radii[k], radius, 1e-12);
    // The filtered slow scan still shows the part's form on the grid.
    EXPECT_NEAR(r.slow.radii[k], FormError(r.slow.angles[k]), 2e-4) << k;
  }
  EXPECT_EQ(r.preMap.angles.Values(), r.slow.angles.Values());
}

TEST(ComputeCompensated, WithTheLearntMapRepeatsTheLearningRunsFastResults) {
  const RadialProfile slow = ProfileOf(3600, FormError);
  const RadialProfile fast = FastOf(FormError);
  const LearningResult learnt = ComputeLearning(Parameters(), slow, fast);
  ASSERT_EQ(learnt.error, ErrorNumber::None);

  const CompensatedResult r = ComputeCompensated(Parameters(), learnt.slots, fast);
  ASSERT_EQ(r.error, ErrorNumber::None);
  EXPECT_EQ(r.fastMap.radii.Values(), learnt.dataSets.fastMap.radii.Values());
  EXPECT_EQ(r.correctedMap.radii.Values(), learnt.dataSets.correctedMap.radii.Values());
  // Correcting the fast scan of the learnt part gives the slow scan back.
  ExpectNear(r.corrected.radii, learnt.dataSets.slow.radii, 1e-12);
  ExpectNear(r.correctedMap.radii, learnt.dataSets.slowMap.radii, 1e-12);
}

TEST(ComputeCompensated, RefusesAMapShorterThanTheRunsGrid) {
  const RadialProfile slow = ProfileOf(3600, FormError);
  const RadialProfile fast = FastOf(FormError);
  const LearningResult onSmaller = ComputeLearning(Parameters(10.0), slow, fast);
  ASSERT_EQ(onSmaller.error, ErrorNumber::None);
  // A slightly larger feature has a finer grid with more angles than the map.
  const CompensatedResult r = ComputeCompensated(Parameters(10.2), onSmaller.slots, fast);
  EXPECT_EQ(r.error, ErrorNumber::StoredMapUnusable);
  EXPECT_TRUE(r.corrected.radii.IsEmpty());
  // The other way round the map covers the whole grid.
  const LearningResult onLarger = ComputeLearning(Parameters(10.2), slow, fast);
  EXPECT_EQ(ComputeCompensated(Parameters(10.0), onLarger.slots, fast).error, ErrorNumber::None);
}

TEST(ComputeLearning, FailsWithoutComputingWhenAScanOrTheGridIsUnusable) {
  const RadialProfile slow = ProfileOf(3600, FormError);
  const RadialProfile tooShort = ProfileOf(3, FormError);
  EXPECT_EQ(ComputeLearning(Parameters(), slow, tooShort).error, kUnusableScan);
  EXPECT_EQ(ComputeLearning(Parameters(), tooShort, slow).error, kUnusableScan);
  CompensationParameters noPitch = Parameters();
  noPitch.mapPitch = 0.0;
  const LearningResult r = ComputeLearning(noPitch, slow, slow);
  EXPECT_EQ(r.error, ErrorNumber::Settings);
  EXPECT_TRUE(r.dataSets.slow.radii.IsEmpty());
  EXPECT_TRUE(r.slots[MapSlotIndex::PreMapData].values.IsEmpty());
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
