#include <cmath>
#include <limits>

#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_sim;
using namespace vexa_test;

namespace {

double AngleAbout(const CMaPoint& centre, const CMaPoint& p) {
  return std::atan2(p.y() - centre.y(), p.x() - centre.x());
}

// Signed turn from a to b about the centre, in (-pi, pi].
double TurnBetween(const CMaPoint& centre, const CMaPoint& a, const CMaPoint& b) {
  const double turn = AngleAbout(centre, b) - AngleAbout(centre, a);
  return std::remainder(turn, 2.0 * MA_PI);
}

}  // namespace

class ScanGeometry : public ::testing::TestWithParam<BYTE> {};

TEST_P(ScanGeometry, PointsLieOnPathCircleOnePitchApartFromStartAngleInDirectionOrder) {
  Rig rig(MachineConfig::Ideal());
  ScanArgs args;
  args.direction = GetParam();
  args.centre = CMaPoint(3.0, -2.0, 5.0);
  args.startAngle = 72.0;
  ASSERT_EQ(1, StartScan(rig, args));
  const auto points = PollScan(rig.ps.Get());

  const double radius = args.diameter / 2.0;
  const double pathLength = (360.0 + args.overtravel) / 360.0 * MA_PI * args.diameter;
  EXPECT_NEAR(pathLength / args.pitch, static_cast<double>(points.size()), 1.0);
  ASSERT_GT(points.size(), 2u);
  EXPECT_NEAR(MaDegreeToRadian(args.startAngle), AngleAbout(args.centre, points[0].tip), 1e-12);

  const double sign = args.direction == 0 ? 1.0 : -1.0;
  double swept = 0.0;
  for (size_t i = 0; i < points.size(); ++i) {
    EXPECT_NEAR(radius, points[i].tip.DistanceTo(args.centre), 1e-9);
    EXPECT_DOUBLE_EQ(args.centre.z(), points[i].tip.z());
    if (i == 0) {
      continue;
    }
    EXPECT_NEAR(args.pitch, points[i].tip.DistanceTo(points[i - 1].tip), 1e-6);
    const double turn = TurnBetween(args.centre, points[i - 1].tip, points[i].tip);
    ASSERT_GT(sign * turn, 0.0) << "point " << i;
    swept += sign * turn;
  }
  EXPECT_NEAR(360.0 + args.overtravel, MaRadianToDegree(swept), MaRadianToDegree(0.1 / radius));
  // The tip stays at the last point once the scan has ended.
  EXPECT_TRUE(rig.machine->Tip().IsEqual(points.back().tip, 0.0));
}

INSTANTIATE_TEST_SUITE_P(BothDirections, ScanGeometry, ::testing::Values(BYTE{0}, BYTE{1}));

TEST(SimulatedScan, DeflectionPointsRadiallyTowardsTheSurface) {
  for (BYTE boreOrBoss : {BYTE{0}, BYTE{1}}) {
    Rig rig;
    ScanArgs args;
    args.boreOrBoss = boreOrBoss;
    ASSERT_EQ(1, StartScan(rig, args));
    const double outwards = boreOrBoss == 0 ? 1.0 : -1.0;
    // Radial to within the microns by which the real feature lies off the commanded circle.
    const double tolerance = args.deflection * 0.001;
    for (const auto& point : PollScan(rig.ps.Get())) {
      const CMaPoint radial = point.tip - args.centre;
      const double r = MaPythag(radial.x(), radial.y());
      EXPECT_NEAR(outwards * args.deflection * radial.x() / r, point.deflection.x(), tolerance);
      EXPECT_NEAR(outwards * args.deflection * radial.y() / r, point.deflection.y(), tolerance);
      EXPECT_EQ(0.0, point.deflection.z());
    }
  }
}

TEST(SimulatedScan, RejectsIllegalArgumentsWithAnError) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char* what;
    void (*spoil)(ScanArgs&);
  } cases[] = {
      {"zero diameter", [](ScanArgs& a) { a.diameter = 0.0; }},
      {"negative diameter", [](ScanArgs& a) { a.diameter = -18.0; }},
      {"NaN diameter", [](ScanArgs& a) { a.diameter = nan; }},
      {"zero pitch", [](ScanArgs& a) { a.pitch = 0.0; }},
      {"zero speed", [](ScanArgs& a) { a.speed = 0.0; }},
      {"no sweep", [](ScanArgs& a) { a.overtravel = -360.0; }},
      {"direction 2", [](ScanArgs& a) { a.direction = 2; }},
      {"tilted axis", [](ScanArgs& a) { a.axis = CMaPoint(1.0, 0.0, 0.0); }},
      {"too many points", [](ScanArgs& a) { a.pitch = 1e-9; }},
      {"NaN tip", [](ScanArgs& a) { a.tipDiameter = nan; }},
      {"negative tip", [](ScanArgs& a) { a.tipDiameter = -2.0; }},
      {"boss path inside the tip",
       [](ScanArgs& a) {
         a.boreOrBoss = 1;
         a.diameter = 1.5;
       }},
  };
  for (const auto& c : cases) {
    Rig rig;
    ScanArgs args;
    c.spoil(args);
    LONG error = 0;
    EXPECT_EQ(0, StartScan(rig, args, nullptr, &error)) << c.what;
    EXPECT_EQ(kErrorIllegalScanParameter, error) << c.what;
    EXPECT_EQ(0, rig.machine->ScansStarted()) << c.what;
  }
}
