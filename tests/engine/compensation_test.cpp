// Learning and compensated runs computed on the map grid from prepared profiles.
#include "src/engine/compensation.h"

#include <gtest/gtest.h>

#include "tests/engine/synthetic_scans.h"

namespace ombrixdc {
namespace {

double FormError(double a) {
  return 10.0 + 0.004 * std::sin(3.0 * a) + 0.002 * std::cos(7.0 * a);
}

CompensationParameters Parameters(double radius = 10.0) {
  return {.filterMethod = 1, .filterNumber = 20, .mapPitch = 0.5, .featureRadius = radius};
}

// The fast scan reads the same part with a lag error and at slightly different angles.
RadialProfile FastOf(double (*part)(double)) {
  return ProfileOf(
      3000, [part](double a) { return part(a) + 0.003 * std::sin(2.0 * a + 0.4); },
      kPi / 2 + 0.0007);
}

// With the learnt map a compensated run repeats the learning run's fast results: correcting
// the fast scan of the learnt part gives the slow scan back. A map matched within the radius
// tolerance was learnt on another grid (another step, so other angles and another count): it
// corrects at the run's own angles, giving back the slow scan as learning at the run's radius
// would have put it on the run's grid.
TEST(ComputeCompensated, RepeatsTheLearningRun_AtAnotherRadiusOnTheRunsAngles) {
  const RadialProfile slow = ProfileOf(3600, FormError);
  const RadialProfile fast = FastOf(FormError);
  const LearningResult learnt = ComputeLearning(Parameters(10.0), slow, fast);
  ASSERT_EQ(learnt.error, ErrorNumber::None);
  // At another radius, within the interpolation error of the part's 7-lobe form (largest across
  // the grid's end, where the step to the next revolution is longer): some 0.002 um. Map values
  // added at the wrong angles would be off by up to twice the lag error, 6 um.
  const std::pair<double, double> radiusAndTolerance[] = {{10.0, 1e-12}, {9.5, 4e-6}, {10.5, 4e-6}};
  for (const auto& [radius, tolerance] : radiusAndTolerance) {
    const CompensatedResult r = ComputeCompensated(Parameters(radius), learnt.slots, fast);
    ASSERT_EQ(r.error, ErrorNumber::None) << radius;
    const LearningResult here = ComputeLearning(Parameters(radius), slow, fast);
    EXPECT_EQ(r.corrected.angles.Values(), here.dataSets.fast.angles.Values()) << radius;
    ExpectNear(r.corrected.radii, here.dataSets.slow.radii, tolerance);
    ExpectNear(r.correctedMap.radii, here.dataSets.slowMap.radii, tolerance);
    if (radius == 10.0) {
      EXPECT_EQ(r.fastMap.radii.Values(), learnt.dataSets.fastMap.radii.Values());
      EXPECT_EQ(r.correctedMap.radii.Values(), learnt.dataSets.correctedMap.radii.Values());
    }
  }
}

// Any one of the three slots empty (a map that cannot be applied) makes the stored map
// unusable, with no results.
TEST(ComputeCompensated, AnyUnusableSlotMakesTheMapUnusable) {
  const RadialProfile fast = FastOf(FormError);
  const LearningResult learnt = ComputeLearning(Parameters(), ProfileOf(3600, FormError), fast);
  for (std::size_t broken = 0; broken < kMapSlotCount; ++broken) {
    MapSlots slots = learnt.slots;
    slots.slot[broken] = MapSlot{};
    const CompensatedResult r = ComputeCompensated(Parameters(), slots, fast);
    EXPECT_EQ(r.error, ErrorNumber::StoredMapUnusable) << broken;
    EXPECT_TRUE(r.corrected.radii.IsEmpty()) << broken;
  }
}

}  // namespace
}  // namespace ombrixdc
