#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/trivell/geometry.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(MaArcCosSin, GivesTheAngleInEachHalfPlaneBelowTwoPiAndZeroWithoutADirection) {
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
      {std::nextafter(1.0, 2.0), 0.0, 0.0},  // a cosine rounded past 1
      {0, 0, 0},
      {kNaN, 1, 0},
  };
  for (const auto& k : cases) {
    EXPECT_NEAR(MaArcCosSin(k.c, k.s), k.expected, 1e-15) << k.c << ", " << k.s;
  }
  // Never 2 pi at the wrap.
  EXPECT_EQ(MaArcCosSin(1.0, -0.0), 0.0);
  EXPECT_FALSE(std::signbit(MaArcCosSin(1.0, -0.0)));
  for (double s : {-1e-17, -std::numeric_limits<double>::denorm_min()}) {
    EXPECT_LT(MaArcCosSin(1.0, s), 2.0 * MA_PI) << s;
    EXPECT_GT(MaArcCosSin(1.0, s), 1.5 * MA_PI) << s;  // stays in the lower half plane
  }
}

TEST(MaIsEqual, NumbersAndPointsCountTheToleranceItselfAsEqual) {
  EXPECT_EQ(MaIsEqual(1.0, 1.5, 0.5), MA_TRUE);
  EXPECT_EQ(MaIsEqual(1.5, 1.0, 0.5), MA_TRUE);
  EXPECT_EQ(MaIsEqual(1.0, 1.5, std::nextafter(0.5, 0.0)), MA_FALSE);
  EXPECT_EQ(MaIsEqual(kNaN, kNaN, 1.0), MA_FALSE);
  const CMaPoint a(1, 2, 3), b(4, 6, 3);  // 5 apart
  EXPECT_EQ(a.IsEqual(b, 5.0), MA_TRUE);
  EXPECT_EQ(a.IsEqual(b, std::nextafter(5.0, 0.0)), MA_FALSE);
  // Every coordinate within 0.4, yet 0.3 * sqrt(3) = 0.52 apart.
  EXPECT_EQ(CMaPoint().IsEqual(CMaPoint(0.3, 0.3, 0.3), 0.4), MA_FALSE);
  EXPECT_EQ(CMaPoint(3, 4, 0).IsZero(5.0), MA_TRUE);
  EXPECT_EQ(CMaPoint(3, 4, 0).IsZero(4.999), MA_FALSE);
  EXPECT_EQ(CMaPoint(kNaN, 0, 0).IsEqual(CMaPoint(), 1e300), MA_FALSE);
}

const CMaVector kX(1, 0, 0), kY(0, 1, 0), kZ(0, 0, 1);

// Returning to the start position rotates the probe about +z by the clockwise angle
// -(S.AngleWith(V, N)) or the anticlockwise angle V.AngleWith(S, N); either must carry the
// current position V onto the direction of S.
TEST(CMaVector, RotatingByAngleWithAboutZCarriesThePositionOntoTheTarget) {
  for (double from : {0.0, 100.0, 181.0, 359.5}) {
    for (double to : {0.0, 179.5, 200.0}) {
      const double f = MaDegreeToRadian(from), t = MaDegreeToRadian(to);
      const CMaVector v(3 * std::cos(f), 3 * std::sin(f), 0),
          s(8 * std::cos(t), 8 * std::sin(t), 4);
      const double anticlockwise = v.AngleWith(s, kZ), back = s.AngleWith(v, kZ);
      for (double angle : {anticlockwise, back}) {
        EXPECT_GT(angle, -180.0);
        EXPECT_LE(angle, 180.0);
      }
      for (double angle : {anticlockwise, -back}) {
        EXPECT_NEAR(std::cos(f + MaDegreeToRadian(angle)), std::cos(t), 1e-12) << from << to;
        EXPECT_NEAR(std::sin(f + MaDegreeToRadian(angle)), std::sin(t), 1e-12) << from << to;
      }
    }
  }
  EXPECT_EQ(kX.AngleWith(CMaVector(-1, -0.0, 0), kZ), 180.0);                       // never -180
  EXPECT_NEAR(CMaVector(1, 0, 5).AngleWith(CMaVector(0, 2, -3), kZ), 90.0, 1e-12);  // axis parts
  EXPECT_NEAR(kX.AngleWith(kY, CMaVector(0, 0, -3)), -90.0, 1e-12);  // right-handed about -z
}

TEST(CMaVector, CrossProductIsRightHandedAndNormaliseGivesUnitLength) {
  EXPECT_EQ(CrossProduct(kX, kY) * kZ, 1.0);
  const CMaVector a(1, 2, 3), b(-4, 0.5, 2), c = CrossProduct(a, b);
  EXPECT_NEAR(c * a, 0.0, 1e-12);
  EXPECT_NEAR(c * b, 0.0, 1e-12);
  EXPECT_NEAR(c.Length(), a.Length() * b.Length() * std::sin(MaDegreeToRadian(a.AngleWith(b))),
              1e-12);
  CMaVector u(3, 4, 0), zero, tiny(1e-310, 0, 0);
  EXPECT_EQ(u.Normalise(), MA_TRUE);
  EXPECT_NEAR(u[0], 0.6, 1e-15);
  EXPECT_EQ(zero.Normalise(), MA_FALSE);
  EXPECT_EQ(tiny.Normalise(), MA_TRUE);
  EXPECT_EQ(tiny[0], 1.0);
}

// Rows are the axes of a frame turned 30 degrees about z, so a row vector times the matrix
// maps frame coordinates to world coordinates and the transpose maps them back.
TEST(CMaMatrix, RowVectorTimesFrameGivesWorldAndTransposeUndoesIt) {
  const double c = std::cos(MaDegreeToRadian(30.0)), s = std::sin(MaDegreeToRadian(30.0));
  CMaMatrix m(3, 3);
  m.SetRowVector(0, CMaVector(c, s, 0));
  m.SetRowVector(1, CMaVector(-s, c, 0));
  m.SetRowVector(2, CMaVector(0, 0, 1));
  const CMaVector ex = CMaVector(1, 0, 0) * m;
  EXPECT_NEAR(ex.AngleWith(CMaVector(1, 0, 0), CMaVector(0, 0, 1)), -30.0, 1e-12);
  const CMaVector v(2, -3, 4), back = (v * m) * m.Transpose();
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(back[i], v[i], 1e-14);
  }
}

}  // namespace
