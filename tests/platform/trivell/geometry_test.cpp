// The geometry library: angles, vectors, frames and the least-squares circle fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <random>

#include "platform/trivell/circle_fit_internal.h"
#include "platform/trivell/geometry.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The angle of either half plane comes through every profile the engine prepares
// (PrepareScanProfile); here its edges.
TEST(MaArcCosSin, StaysBelowTwoPiAndGivesZeroWithoutADirection) {
  const struct {
    double c, s, expected;
  } cases[] = {
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

// The tolerance itself counts as equal, for numbers and points: the map files' matching holds
// both to that (MapFile). Just beyond it, or with a NaN, they are unequal.
TEST(MaIsEqual, NumbersAndPointsJustBeyondTheToleranceOrWithANaNAreUnequal) {
  EXPECT_EQ(MaIsEqual(1.0, 1.5, std::nextafter(0.5, 0.0)), MA_FALSE);
  EXPECT_EQ(MaIsEqual(kNaN, kNaN, 1.0), MA_FALSE);
  const CMaPoint a(1, 2, 3), b(4, 6, 3);  // 5 apart
  EXPECT_EQ(a.IsEqual(b, std::nextafter(5.0, 0.0)), MA_FALSE);
  // Every coordinate within 0.4, yet 0.3 * sqrt(3) = 0.52 apart.
  EXPECT_EQ(CMaPoint().IsEqual(CMaPoint(0.3, 0.3, 0.3), 0.4), MA_FALSE);
  EXPECT_EQ(CMaPoint(3, 4, 0).IsZero(5.0), MA_TRUE);
  EXPECT_EQ(CMaPoint(3, 4, 0).IsZero(4.999), MA_FALSE);
  EXPECT_EQ(CMaPoint(kNaN, 0, 0).IsEqual(CMaPoint(), 1e300), MA_FALSE);
}

const CMaVector kX(1, 0, 0), kY(0, 1, 0), kZ(0, 0, 1);

// The angle about an axis that carries one vector onto another: its sign and size come through
// every return to the start position (ScanCircleTest.ReturnToStart_...); here its edges.
TEST(CMaVector, AngleWithAboutAnAxisIsAtMost180AndIgnoresTheAxisParts) {
  EXPECT_EQ(kX.AngleWith(CMaVector(-1, -0.0, 0), kZ), 180.0);                       // never -180
  EXPECT_NEAR(CMaVector(1, 0, 5).AngleWith(CMaVector(0, 2, -3), kZ), 90.0, 1e-12);  // axis parts
  EXPECT_NEAR(kX.AngleWith(kY, CMaVector(0, 0, -3)), -90.0, 1e-12);  // right-handed about -z
}

TEST(CMaVector, NormaliseGivesUnitLengthEvenFromASubnormalAndRefusesZero) {
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
  EXPECT_NEAR((kX * m).AngleWith(kX, kZ), -30.0, 1e-12);
  const CMaVector v(2, -3, 4);
  EXPECT_LT(((v * m) * m.Transpose() - v).Length(), 1e-14);
}

// n points at angles first, first + step, ... (degrees) on a circle whose radius at angle t
// is r + lobe * cos(3t), all at height z.
CMaPointArray PointsOnCircle(double cx, double cy, double r, double first, double step, int n,
                             double z = 0.0, double lobe = 0.0) {
  CMaPointArray points;
  for (int i = 0; i < n; ++i) {
    const double t = MaDegreeToRadian(first + step * i);
    const double rt = r + lobe * std::cos(3 * t);
    points.Add(CMaPoint(cx + rt * std::cos(t), cy + rt * std::sin(t), z));
  }
  return points;
}

// A three-lobed circle: the lobing is orthogonal to a shift of the centre, so the best circle
// is the nominal one, the form is twice the lobe and the rms the lobe over sqrt(2).
TEST(CMaCircle, RecoversExactAndLobedCirclesAndArcs) {
  const struct {
    double cx, cy, r, first, step;
    int n;
    double lobe, z = 3.5;
  } cases[] = {
      {100, 50, 9, 0, 360.0 / 7, 7, 0},  // full circle, few points, offset centre
      {100, 50, 9, 200, 1, 11, 0},       // 10-degree arc
      {-2500, 1e4, 25, 0, 1, 360, 0},    // far from the origin
      {0.001, 0.002, 0.0005, 5, 30, 12, 0},
      {100, 50, 9, 0, 1, 360, 0.01},
      {2e-309, -3e-309, 1e-309, 5, 30, 12, 0},     // subnormal: too small to scale by a reciprocal
      {1e308, 1e308, 4e307, 0, 30, 12, 0, 1e308},  // sums of the coordinates overflow
  };
  for (const auto& k : cases) {
    const CMaPointArray points = PointsOnCircle(k.cx, k.cy, k.r, k.first, k.step, k.n, k.z, k.lobe);
    CMaCircle circle(1.0);
    double form = -1, rms = -1;
    ASSERT_EQ(circle.Fit(points, form, rms), MA_TRUE) << k.cx << " " << k.r << " " << k.step;
    const double tol = 1e-10 * k.r + 1e-10 * std::fabs(k.cx) + 1e-10 * std::fabs(k.cy);
    EXPECT_NEAR(circle.GetCentre().x(), k.cx, tol);
    EXPECT_NEAR(circle.GetCentre().y(), k.cy, tol);
    EXPECT_EQ(circle.GetCentre().z(), k.z);
    EXPECT_NEAR(circle.GetRadius(), k.r, tol);
    EXPECT_NEAR(form, 2 * k.lobe, tol);
    EXPECT_NEAR(rms, k.lobe / std::sqrt(2.0), tol);
  }
}

// The least-squares circle by Gauss-Newton steps in long double from (cx, cy, r), to judge the
// fit independently of its own arithmetic and of the path it took.
std::array<long double, 3> Optimum(const CMaPointArray& points, double cx, double cy, double r) {
  std::array<long double, 3> c = {cx, cy, r};
  for (int iter = 0; iter < 20; ++iter) {
    long double m[3][4] = {};  // J^T J beside -J^T d
    for (const CMaPoint& p : points) {
      const long double dx = p.x() - c[0], dy = p.y() - c[1], rho = std::sqrt(dx * dx + dy * dy);
      const long double j[4] = {-dx / rho, -dy / rho, -1, c[2] - rho};  // J's row, then -d
      for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 4; ++b) {
          m[a][b] += j[a] * j[b];
        }
      }
    }
    // Cramer's rule: the determinant of J^T J with column k (none for -1) replaced by -J^T d.
    const auto det = [&m](int k) {
      const auto e = [&](int i, int j) { return m[i][j == k ? 3 : j]; };
      return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
             e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
             e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
    };
    for (int a = 0; a < 3; ++a) {
      c[a] += det(a) / det(-1);
    }
  }
  return c;
}

// Noisy arcs, long and short, with and without lobing: the fit is the least-squares circle,
// and its form and rms are those of that circle's orthogonal distances, summed in long double
// so that they judge the fit independently of its own arithmetic.
TEST(CMaCircle, NoisyArcFitIsTheMinimumOfTheOrthogonalDistances) {
  const struct {
    double first, step;
    int n;
    double lobe, sigma;
  } cases[] = {{30, 0.25, 481, 0, 0.05},
               {10, 0.1, 100, 0, 0.02},
               {0, 0.05, 400, 0.3, 0.1},
               {0, 1, 360, 0.01, 0.001}};
  std::mt19937 random(20240611);
  for (const auto& k : cases) {
    std::normal_distribution<double> noise(0.0, k.sigma);
    CMaPointArray points = PointsOnCircle(100, 50, 9, k.first, k.step, k.n, 0.0, k.lobe);
    for (CMaPoint& p : points) {
      p.x() += noise(random);
      p.y() += noise(random);
    }
    CMaCircle circle;
    double form = 0, rms = 0;
    ASSERT_EQ(circle.Fit(points, form, rms), MA_TRUE) << k.step;
    const double cx = circle.GetCentre().x(), cy = circle.GetCentre().y(), r = circle.GetRadius();
    const std::array<long double, 3> best = Optimum(points, cx, cy, r);
    EXPECT_NEAR(cx, static_cast<double>(best[0]), 1e-10) << k.step;
    EXPECT_NEAR(cy, static_cast<double>(best[1]), 1e-10) << k.step;
    EXPECT_NEAR(r, static_cast<double>(best[2]), 1e-10) << k.step;
    long double cost = 0, lowest = INFINITY, highest = -INFINITY;
    for (const CMaPoint& p : points) {
      const long double d = std::hypot(p.x() - 1.0L * cx, p.y() - 1.0L * cy) - r;
      cost += d * d;
      lowest = std::min(lowest, d);
      highest = std::max(highest, d);
    }
    EXPECT_NEAR(rms, std::sqrt(static_cast<double>(cost) / k.n), 1e-12) << k.step;
    EXPECT_NEAR(form, static_cast<double>(highest - lowest), 1e-12) << k.step;
  }
}

TEST(CMaCircle, DegenerateInputGivesFalseWithTheMeanAsCentreAndNoNaN) {
  std::vector<CMaPoint> line;  // coordinates rounded off the line y = 7 + 0.3x
  for (int i = 0; i <= 100; ++i) {
    line.emplace_back(100 + 0.1 * i, 7 + 0.3 * (100 + 0.1 * i), 1);
  }
  const std::pair<std::vector<CMaPoint>, CMaPoint> cases[] = {
      {{}, CMaPoint()},
      {{{0, 2, 3}, {2, 2, 3}}, CMaPoint(1, 2, 3)},
      {{{0, 0, 0}, {1, 1, 0}, {2, 2, 0}}, CMaPoint(1, 1, 0)},
      {line, CMaPoint(105, 7 + 0.3 * 105, 1)},
      {{{0, 0, 0}, {kNaN, 1, 1}, {2, 4, 6}}, CMaPoint(1, 2, 3)}};
  for (const auto& [list, mean] : cases) {
    CMaPointArray points;
    points.Values() = list;
    CMaCircle circle;
    circle.Fit(PointsOnCircle(0, 0, 1, 0, 90, 4));  // an earlier good fit must not linger
    double form = kNaN, rms = kNaN;
    EXPECT_EQ(circle.Fit(points, form, rms), MA_FALSE) << points.GetSize();
    EXPECT_LT(circle.GetCentre().DistanceTo(mean), 1e-12) << points.GetSize();
    EXPECT_EQ(circle.GetRadius(), 0.0);
    EXPECT_EQ(form, 0.0);
    EXPECT_EQ(rms, 0.0);
  }
}

// The algebraic start alone finds the circle of exact points, here a 40-degree arc centred
// on its mean and scaled by 8.
TEST(CircleStart, AlgebraicCircleOfExactPointsIsTheirCircle) {
  const CMaPointArray points = PointsOnCircle(100, 50, 9, 200, 4, 11);
  CMaPoint mean;
  for (const CMaPoint& p : points) {
    mean += CMaPoint(p.x() / 11, p.y() / 11, 0.0);
  }
  const trivell::ScaledPoints scaled(points, mean, 8.0);
  const std::optional<trivell::Circle2> c = trivell::TaubinFit(trivell::MomentsOf(scaled));
  ASSERT_TRUE(c.has_value());
  EXPECT_NEAR(mean.x() + 8.0 * c->a, 100.0, 1e-9);
  EXPECT_NEAR(mean.y() + 8.0 * c->b, 50.0, 1e-9);
  EXPECT_NEAR(8.0 * c->r, 9.0, 1e-9);
  // The start of last resort: the points' mean distance from their centroid, over every
  // block of points a pass takes.
  const CMaPointArray ring = PointsOnCircle(0, 0, 1, 0, 1.2, 300);
  const trivell::Circle2 start = trivell::CentroidStart(trivell::ScaledPoints(ring, CMaPoint(), 1));
  EXPECT_EQ(start.a, 0.0);
  EXPECT_EQ(start.b, 0.0);
  EXPECT_NEAR(start.r, 1.0, 1e-15);
}

// Points on the X axis but one straight above the origin of the scaled points (so the
// scatter's axis is still the X axis), the first point or one in the last block: the
// collinearity check sees it wherever it falls.
TEST(CircleStart, CollinearityLooksAtEveryPoint) {
  for (const int off : {0, 290}) {
    CMaPointArray points;
    for (int i = 0; i < 300; ++i) {
      points.Add(i == off ? CMaPoint(3, 0.5, 0) : CMaPoint(i % 7, 0, 0));
    }
    const trivell::ScaledPoints scaled(points, CMaPoint(3, 0, 0), 8.0);
    EXPECT_FALSE(trivell::IsCollinear(scaled, trivell::MomentsOf(scaled), 1e-9)) << off;
  }
}

}  // namespace
