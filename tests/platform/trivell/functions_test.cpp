#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/trivell/geometry.h"

namespace {

constexpr double kTwoPi = 2.0 * MA_PI;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(MaArcCosSin, GivesTheAngleOnEachAxisAndInEachQuadrant) {
  const double kHalfRoot2 = std::sqrt(0.5);
  struct Case {
    double c, s, expected;
  };
  const Case cases[] = {
      {1, 0, 0},
      {0, 1, MA_PI / 2},
      {-1, 0, MA_PI},
      {0, -1, 1.5 * MA_PI},
      {kHalfRoot2, kHalfRoot2, MA_PI / 4},
      {-kHalfRoot2, kHalfRoot2, 0.75 * MA_PI},
      {-kHalfRoot2, -kHalfRoot2, 1.25 * MA_PI},
      {kHalfRoot2, -kHalfRoot2, 1.75 * MA_PI},
      {0.6, 0.8, std::atan(4.0 / 3.0)},
      {std::nextafter(1.0, 2.0), 0.0, 0.0},  // a cosine rounded past 1
  };
  for (const Case& k : cases) {
    EXPECT_NEAR(MaArcCosSin(k.c, k.s), k.expected, 1e-15) << k.c << ", " << k.s;
  }
}

TEST(MaArcCosSin, NeverReachesTwoPiAtTheWrap) {
  EXPECT_EQ(MaArcCosSin(1.0, -0.0), 0.0);
  EXPECT_FALSE(std::signbit(MaArcCosSin(1.0, -0.0)));
  EXPECT_EQ(MaArcCosSin(-1.0, -0.0), MA_PI);
  for (double s : {-1e-17, -1e-300, -std::numeric_limits<double>::denorm_min()}) {
    const double theta = MaArcCosSin(1.0, s);
    EXPECT_LT(theta, kTwoPi) << s;
    EXPECT_GT(theta, 1.5 * MA_PI) << s;  // a negative sine stays in the lower half plane
  }
}

TEST(MaArcCosSin, GivesZeroWhenThereIsNoDirection) {
  EXPECT_EQ(MaArcCosSin(0.0, 0.0), 0.0);
  EXPECT_EQ(MaArcCosSin(kNaN, 1.0), 0.0);
  EXPECT_EQ(MaArcCosSin(1.0, kNaN), 0.0);
}

TEST(MaIsEqual, CountsTheToleranceItselfAsEqual) {
  EXPECT_EQ(MaIsEqual(1.0, 1.5, 0.5), MA_TRUE);
  EXPECT_EQ(MaIsEqual(1.5, 1.0, 0.5), MA_TRUE);
  EXPECT_EQ(MaIsEqual(1.0, 1.5, std::nextafter(0.5, 0.0)), MA_FALSE);
  EXPECT_EQ(MaIsEqual(kNaN, kNaN, 1.0), MA_FALSE);
}

}  // namespace
