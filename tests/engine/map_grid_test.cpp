#include "src/engine/map_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "src/engine/circle_preparation.h"
#include "tests/engine/scan_samples.h"

namespace ombrixdc {

namespace {

using namespace engine_test;

TEST(MapGridAngles, PitchHalfOnRadiusTenGives125AnglesOneStepApart) {
  const std::optional<CMaDoubleArray> grid = MapGridAngles(0.5, 10.0, kMapGridStartAngle);
  ASSERT_TRUE(grid.has_value());
  ASSERT_EQ(grid->GetSize(), 125u);
  const double step = 0.5 / 10.0;
  EXPECT_EQ((*grid)[0], kMapGridStartAngle + step);
  for (std::size_t k = 1; k < grid->GetSize(); ++k) {
    EXPECT_EQ((*grid)[k], (*grid)[k - 1] + step) << k;
  }
  EXPECT_LT((*grid)[124], kPi / 2 + kTwoPi);
  EXPECT_GE((*grid)[124] + step, kPi / 2 + kTwoPi);
}

TEST(MapGridAngles, RefusesStepsThatGiveNoUsableGrid) {
  const std::pair<double, double> pitchAndRadius[] = {
      {0.0, 10.0},     {0.5, -10.0},  {std::nan(""), 10.0},
      {0.5, INFINITY},  // and a step finer than any machine resolves, or over a revolution:
      {1e-300, 10.0},  {100.0, 10.0},
  };
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

double Lumpy(double a) {
  return 10.0 + 0.01 * std::sin(5.0 * a) + 0.004 * std::cos(17.0 * a);
}

// The Lagrange sum written out term by term, each term V[i] times its three quotients
// multiplied in from the left, the terms added in node order.
double LagrangeAsWritten(const RadialProfile& p, const std::vector<std::size_t>& n, double x) {
  const auto q = [&](std::size_t i, std::size_t j) {
    return (x - p.angles[n[j]]) / (p.angles[n[i]] - p.angles[n[j]]);
  };
  double sum = 0.0;
  sum += p.radii[n[0]] * q(0, 1) * q(0, 2) * q(0, 3);
  sum += p.radii[n[1]] * q(1, 0) * q(1, 2) * q(1, 3);
  sum += p.radii[n[2]] * q(2, 0) * q(2, 1) * q(2, 3);
  sum += p.radii[n[3]] * q(3, 0) * q(3, 1) * q(3, 2);
  return sum;
}

// Inside, the cubic through the two samples either side; before the second sample and after the
// last but one, the cubic through both ends. Stored maps are written with every digit of each
// value, so the rounding must be that of the sum as written.
TEST(ResampleToMapGrid, UsesTheTwoSamplesEitherSideInsideAndBothEndsOutside) {
  // Sparse samples, so that several grid angles fall before the second sample and after the
  // last but one.
  RadialProfile p;
  p.angles.Add(kPi / 2 + 0.01);
  for (int i = 0; i <= 30; ++i) {
    p.angles.Add(kPi / 2 + 0.2 + (kTwoPi - 0.5) * i / 30.0);
  }
  p.angles.Add(kPi / 2 + kTwoPi - 0.02);
  for (double a : p.angles) {
    p.radii.Add(Lumpy(a));
  }
  const std::size_t n = p.angles.GetSize();
  const DataSetResult r = ResampleToMapGrid(0.5, 10.0, kMapGridStartAngle, p.radii, p.angles);
  ASSERT_EQ(r.error, ErrorNumber::None);

  int beforeSecond = 0, afterLastButOne = 0;
  for (std::size_t k = 0; k < r.data.angles.GetSize(); ++k) {
    const double theta = r.data.angles[k];
    std::vector<std::size_t> nodes = {0, 1, n - 2, n - 1};
    if (p.angles[1] <= theta && theta < p.angles[n - 2]) {
      std::size_t j = 0;
      while (p.angles[j] <= theta) {
        ++j;
      }
      nodes = {j - 2, j - 1, j, j + 1};
    } else {
      (theta < p.angles[1] ? beforeSecond : afterLastButOne)++;
      // Not the cubic through the nearest four samples.
      const std::vector<std::size_t> nearest =
          theta < p.angles[1] ? std::vector<std::size_t>{0, 1, 2, 3}
                              : std::vector<std::size_t>{n - 4, n - 3, n - 2, n - 1};
      EXPECT_GT(std::fabs(r.data.radii[k] - LagrangeAsWritten(p, nearest, theta)), 1e-7) << k;
    }
    EXPECT_EQ(r.data.radii[k], LagrangeAsWritten(p, nodes, theta)) << k;
  }
  EXPECT_EQ(beforeSecond, 3);
  EXPECT_GE(afterLastButOne, 3);
}

TEST(ResampleToMapGrid, ReportsProfilesItCannotInterpolateAsUnusable) {
  RadialProfile tooShort = ProfileOf(3, [](double) { return 5.0; });
  RadialProfile repeated = ProfileOf(50, [](double) { return 5.0; });
  repeated.angles[20] = repeated.angles[19];
  RadialProfile mismatched = ProfileOf(50, [](double) { return 5.0; });
  mismatched.angles.SetSize(49);
  for (const RadialProfile* p : {&tooShort, &repeated, &mismatched}) {
    const DataSetResult r = ResampleToMapGrid(0.5, 10.0, kMapGridStartAngle, p->radii, p->angles);
    EXPECT_EQ(r.error, kUnusableScan);
    EXPECT_TRUE(r.data.radii.IsEmpty() && r.data.angles.IsEmpty());
  }
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
  for (double radius : r.data.radii) {
    EXPECT_NEAR(radius, 4.0, 1e-9);
  }
  RadialProfile line;  // points on y = 1
  for (int i = 1; i < 20; ++i) {
    const double a = kPi * i / 20.0;
    line.angles.Add(a);
    line.radii.Add(1.0 / std::sin(a));
  }
  EXPECT_EQ(FitToMapGrid(0.5, 10.0, kMapGridStartAngle, line.radii, line.angles).error,
            kUnusableScan);
}

}  // namespace

}  // namespace ombrixdc
