// The map grid: its angles, and profiles resampled or fitted onto it.
#include "src/engine/map_grid.h"

#include <gtest/gtest.h>

#include "src/engine/circle_preparation.h"
#include "tests/engine/synthetic_scans.h"

namespace ombrixdc {

// Each angle is the one before plus the step, added up as the grid is walked, so a map learnt
// again lies on the very same angles. (The first angle and the count are in every stored map of
// the learning runs' golden files.)
TEST(MapGridAngles, PitchHalfOnRadiusTenGivesAnglesOneStepApart) {
  const std::optional<CMaDoubleArray> grid = MapGridAngles(0.5, 10.0, kMapGridStartAngle);
  ASSERT_TRUE(grid.has_value());
  const double step = 0.5 / 10.0;
  for (std::size_t k = 1; k < grid->GetSize(); ++k) {
    EXPECT_EQ((*grid)[k], (*grid)[k - 1] + step) << k;
  }
}

TEST(MapGridAngles, RefusesStepsThatGiveNoUsableGrid) {
  // A step of nothing, backwards or of no number, finer than any machine resolves, or over a
  // revolution.
  const std::pair<double, double> pitchAndRadius[] = {
      {0.0, 10.0}, {0.5, -10.0}, {std::nan(""), 10.0}, {1e-300, 10.0}, {100.0, 10.0}};
  for (const auto& [pitch, radius] : pitchAndRadius) {
    EXPECT_FALSE(MapGridAngles(pitch, radius, kMapGridStartAngle)) << pitch << " " << radius;
  }
  // Both users of the grid report it as a settings error.
  const RadialProfile p = ProfileOf(100, [](double) { return 5.0; });
  const DataSetResult resampled =
      ResampleToMapGrid(0.0, 10.0, kMapGridStartAngle, p.radii, p.angles);
  EXPECT_EQ(resampled.error, ErrorNumber::Settings);
  EXPECT_TRUE(resampled.data.radii.IsEmpty());
  EXPECT_EQ(FitToMapGrid(0.0, 10.0, kMapGridStartAngle, p.radii, p.angles).error,
            ErrorNumber::Settings);
}

TEST(ResampleToMapGrid, ReportsAProfileWithARepeatedAngleAsUnusable) {
  RadialProfile repeated = ProfileOf(50, [](double) { return 5.0; });
  repeated.angles[20] = repeated.angles[19];
  const DataSetResult r =
      ResampleToMapGrid(0.5, 10.0, kMapGridStartAngle, repeated.radii, repeated.angles);
  EXPECT_EQ(r.error, kUnusableScan);
  EXPECT_TRUE(r.data.radii.IsEmpty() && r.data.angles.IsEmpty());
}

TEST(FitToMapGrid, GivesTheLeastSquaresRadiusAtEveryGridAngle_NoneForALine) {
  // A circle of radius 4 about (1, 0.5), seen from the origin inside it.
  const RadialProfile p = ProfileOf(720, [](double a) {
    const double along = std::cos(a) + 0.5 * std::sin(a);
    return along + std::sqrt(along * along - 1.25 + 16.0);
  });
  const DataSetResult r = FitToMapGrid(0.5, 10.0, kMapGridStartAngle, p.radii, p.angles);
  ASSERT_EQ(r.error, ErrorNumber::None);
  EXPECT_EQ(r.data.angles.Values(), MapGridAngles(0.5, 10.0, kMapGridStartAngle)->Values());
  ASSERT_EQ(r.data.radii.GetSize(), 125u);
  EXPECT_THAT(r.data.radii.Values(), testing::Each(testing::DoubleNear(4.0, 1e-9)));
  RadialProfile line;  // points on y = 1
  for (int i = 1; i < 20; ++i) {
    const double a = kPi * i / 20.0;
    line.angles.Add(a);
    line.radii.Add(1.0 / std::sin(a));
  }
  EXPECT_EQ(FitToMapGrid(0.5, 10.0, kMapGridStartAngle, line.radii, line.angles).error,
            kUnusableScan);
}

// Four-point interpolation through the two nodes either side, round the revolution's end: a
// lone node of value 1 weighs 9/16 at the midpoints beside it and -1/16 one interval further.
TEST(InterpolatePeriodic, TakesTheTwoNodesEitherSideRoundTheEnd) {
  CMaDoubleArray angles, values, midpoints;
  for (int i = 0; i < 8; ++i) {
    angles.Add(1.0 + i * kTwoPi / 8);
    values.Add(i == 0 ? 1.0 : 0.0);
    midpoints.Add(1.0 + (i + 0.5) * kTwoPi / 8);
  }
  const std::optional<CMaDoubleArray> at = InterpolatePeriodic(angles, values, midpoints);
  ASSERT_TRUE(at);
  const std::vector<double> expected = {9 / 16.0, -1 / 16.0, 0, 0, 0, 0, -1 / 16.0, 9 / 16.0};
  EXPECT_THAT(at->Values(), testing::Pointwise(testing::DoubleNear(1e-12), expected));
}

}  // namespace ombrixdc
