#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/trivell/geometry.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(MaArcCosSin, GivesTheAngleInEachHalfPlaneAndZeroWithoutADirection) {
  const double h = std::sqrt(0.5);
  const struct {
    double c, s, expected;
  } cases[] = {
      {1, 0, 0},
      {0, 1, MA_PI / 2},
      {-1, 0, MA_PI},
      {0, -1, 1.5 * MA_PI},
      {-h, h, 0.75 * MA_PI},
      {h, -h, 1.75 * MA_PI},
      {0.6, 0.8, std::atan(4.0 / 3.0)},
      {std::nextafter(1.0, 2.0), 0.0, 0.0},  // a cosine rounded past 1
      {0, 0, 0},
      {kNaN, 1, 0},
      {1, kNaN, 0},
  };
  for (const auto& k : cases) {
    EXPECT_NEAR(MaArcCosSin(k.c, k.s), k.expected, 1e-15) << k.c << ", " << k.s;
  }
}

TEST(MaArcCosSin, NeverReachesTwoPiAtTheWrap) {
  EXPECT_EQ(MaArcCosSin(1.0, -0.0), 0.0);
  EXPECT_FALSE(std::signbit(MaArcCosSin(1.0, -0.0)));
  for (double s : {-1e-17, -std::numeric_limits<double>::denorm_min()}) {
    EXPECT_LT(MaArcCosSin(1.0, s), 2.0 * MA_PI) << s;
    EXPECT_GT(MaArcCosSin(1.0, s), 1.5 * MA_PI) << s;  // stays in the lower half plane
  }
}

TEST(MaIsEqual, CountsTheToleranceItselfAsEqual) {
  EXPECT_EQ(MaIsEqual(1.0, 1.5, 0.5), MA_TRUE);
  EXPECT_EQ(MaIsEqual(1.5, 1.0, 0.5), MA_TRUE);
  EXPECT_EQ(MaIsEqual(1.0, 1.5, std::nextafter(0.5, 0.0)), MA_FALSE);
  EXPECT_EQ(MaIsEqual(kNaN, kNaN, 1.0), MA_FALSE);
}

}  // namespace
