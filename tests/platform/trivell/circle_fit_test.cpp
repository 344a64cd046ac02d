#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <random>

#include "platform/trivell/geometry.h"

namespace {

// n points at angles first, first + step, ... (degrees) on a circle whose radius at angle t
// is r + lobe * cos(lobes * t), all at height z.
CMaPointArray PointsOnCircle(double cx, double cy, double r, double first, double step, int n,
                             double z = 0.0, int lobes = 0, double lobe = 0.0) {
  CMaPointArray points;
  for (int i = 0; i < n; ++i) {
    const double t = MaDegreeToRadian(first + step * i);
    const double rt = r + lobe * std::cos(lobes * t);
    points.Add(CMaPoint(cx + rt * std::cos(t), cy + rt * std::sin(t), z));
  }
  return points;
}

// Sum of squared orthogonal distances and its gradient in (cx, cy, r), in long double so that
// it judges the fit independently of the fit's own arithmetic.
struct Objective {
  long double cost = 0, g[3] = {0, 0, 0}, sumAbs = 0;
  long double lowest = std::numeric_limits<long double>::infinity(), highest = -lowest;
};

Objective Evaluate(const CMaPointArray& points, double cx, double cy, double r) {
  Objective o;
  for (const CMaPoint& p : points) {
    const long double dx = p.x() - static_cast<long double>(cx);
    const long double dy = p.y() - static_cast<long double>(cy);
    const long double rho = std::sqrt(dx * dx + dy * dy), d = rho - r;
    o.cost += d * d;
    o.g[0] -= 2 * d * dx / rho;
    o.g[1] -= 2 * d * dy / rho;
    o.g[2] -= 2 * d;
    o.sumAbs += std::fabs(d);
    o.lowest = std::min(o.lowest, d);
    o.highest = std::max(o.highest, d);
  }
  return o;
}

TEST(CMaCircle, RecoversExactCirclesAndArcs) {
  struct Case {
    double cx, cy, r, first, step;
    int n;
  };
  const Case cases[] = {
      {0, 0, 1, 0, 10, 36},           // full circle
      {100, 50, 9, 0, 360.0 / 7, 7},  // full circle, few points, offset centre
      {100, 50, 9, 20, 10, 10},       // 90-degree arc
      {100, 50, 9, 200, 1, 11},       // 10-degree arc
      {-2500, 1e4, 25, 0, 1, 360},    // far from the origin
      {0.001, 0.002, 0.0005, 5, 30, 12},
  };
  for (const Case& k : cases) {
    const CMaPointArray points = PointsOnCircle(k.cx, k.cy, k.r, k.first, k.step, k.n, 3.5);
    CMaCircle circle(1.0);
    double form = -1, rms = -1;
    ASSERT_EQ(circle.Fit(points, form, rms), MA_TRUE) << k.cx << " " << k.r << " " << k.step;
    const double tol = 1e-10 * (k.r + std::fabs(k.cx) + std::fabs(k.cy));
    EXPECT_NEAR(circle.GetCentre().x(), k.cx, tol);
    EXPECT_NEAR(circle.GetCentre().y(), k.cy, tol);
    EXPECT_EQ(circle.GetCentre().z(), 3.5);
    EXPECT_NEAR(circle.GetRadius(), k.r, tol);
    EXPECT_NEAR(form, 0.0, tol);
    EXPECT_NEAR(rms, 0.0, tol);
    CMaCircle single;
    EXPECT_EQ(single.Fit(points), MA_TRUE);
    EXPECT_NEAR(single.GetRadius(), circle.GetRadius(), 1e-15 * k.r);
  }
}

TEST(CMaCircle, FormOfThreeLobedCircleIsItsPeakToValley) {
  // r = 9 + 0.01 cos(3t): the lobing is orthogonal to a shift of the centre, so the best
  // circle is the nominal one and every deviation is 0.01 cos(3t).
  const CMaPointArray points = PointsOnCircle(100, 50, 9, 0, 1, 360, 0, 3, 0.01);
  CMaCircle circle;
  double form = 0, rms = 0;
  ASSERT_EQ(circle.Fit(points, form, rms), MA_TRUE);
  EXPECT_NEAR(circle.GetCentre().x(), 100.0, 1e-10);
  EXPECT_NEAR(circle.GetCentre().y(), 50.0, 1e-10);
  EXPECT_NEAR(circle.GetRadius(), 9.0, 1e-10);
  EXPECT_NEAR(form, 0.02, 1e-10);
  EXPECT_NEAR(rms, 0.01 / std::sqrt(2.0), 1e-10);
}

TEST(CMaCircle, NoisyArcFitIsTheMinimumOfTheOrthogonalDistances) {
  std::mt19937 random(20240611);
  std::normal_distribution<double> noise(0.0, 0.05);
  CMaPointArray points = PointsOnCircle(100, 50, 9, 30, 0.25, 481);  // 120-degree arc
  for (CMaPoint& p : points) {
    p.x() += noise(random);
    p.y() += noise(random);
  }
  CMaCircle circle;
  double form = 0, rms = 0;
  ASSERT_EQ(circle.Fit(points, form, rms), MA_TRUE);
  const double cx = circle.GetCentre().x(), cy = circle.GetCentre().y(), r = circle.GetRadius();
  EXPECT_NEAR(cx, 100.0, 0.1);
  EXPECT_NEAR(cy, 50.0, 0.1);
  EXPECT_NEAR(r, 9.0, 0.1);

  const Objective best = Evaluate(points, cx, cy, r);
  for (long double g : best.g) {
    EXPECT_LT(std::fabs(g), 1e-9 * best.sumAbs);  // a stationary point
  }
  EXPECT_NEAR(rms, std::sqrt(static_cast<double>(best.cost) / 481.0), 1e-12);
  EXPECT_NEAR(form, static_cast<double>(best.highest - best.lowest), 1e-12);
  // ... and a minimum: moving the circle anywhere nearby costs more.
  for (double h : {1e-3, -1e-3, 1e-5, -1e-5}) {
    EXPECT_GT(Evaluate(points, cx + h, cy, r).cost, best.cost) << h;
    EXPECT_GT(Evaluate(points, cx, cy + h, r).cost, best.cost) << h;
    EXPECT_GT(Evaluate(points, cx, cy, r + h).cost, best.cost) << h;
    EXPECT_GT(Evaluate(points, cx + h, cy - h, r + h).cost, best.cost) << h;
  }
}

CMaPointArray Points(std::initializer_list<CMaPoint> list) {
  CMaPointArray points;
  for (const CMaPoint& p : list) {
    points.Add(p);
  }
  return points;
}

TEST(CMaCircle, DegenerateInputGivesFalseWithTheMeanAsCentreAndNoNaN) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  CMaPointArray line;  // coordinates rounded off the line y = 7 + 0.3x
  for (int i = 0; i <= 100; ++i) {
    line.Add(CMaPoint(100 + 0.1 * i, 7 + 0.3 * (100 + 0.1 * i), 1));
  }
  struct Case {
    const char* what;
    CMaPointArray points;
    CMaPoint mean;
  };
  const Case cases[] = {
      {"empty", {}, CMaPoint()},
      {"one point", Points({{1, 2, 3}}), CMaPoint(1, 2, 3)},
      {"two points", Points({{0, 2, 3}, {2, 2, 3}}), CMaPoint(1, 2, 3)},
      {"coincident", Points({{5, 5, 1}, {5, 5, 1}, {5, 5, 1}, {5, 5, 1}}), CMaPoint(5, 5, 1)},
      {"one XY, several z", Points({{1, 1, 0}, {1, 1, 3}, {1, 1, 6}}), CMaPoint(1, 1, 3)},
      {"three on a line", Points({{0, 0, 0}, {1, 1, 0}, {2, 2, 0}}), CMaPoint(1, 1, 0)},
      {"line of 101", line, CMaPoint(105, 7 + 0.3 * 105, 1)},
      {"two points repeated", Points({{0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {1, 0, 0}}),
       CMaPoint(0.5, 0, 0)},
      {"NaN", Points({{0, 0, 0}, {nan, 1, 1}, {2, 4, 6}}), CMaPoint(1, 2, 3)},
      {"infinity", Points({{0, 0, 0}, {1, -inf, 1}, {2, 4, 6}}), CMaPoint(1, 2, 3)},
  };
  for (const Case& k : cases) {
    CMaCircle circle;
    circle.Fit(PointsOnCircle(0, 0, 1, 0, 90, 4));  // an earlier good fit must not linger
    double form = nan, rms = nan;
    EXPECT_EQ(circle.Fit(k.points, form, rms), MA_FALSE) << k.what;
    EXPECT_LT(circle.GetCentre().DistanceTo(k.mean), 1e-12) << k.what;
    EXPECT_EQ(circle.GetRadius(), 0.0) << k.what;
    EXPECT_EQ(form, 0.0) << k.what;
    EXPECT_EQ(rms, 0.0) << k.what;
  }
}

}  // namespace
