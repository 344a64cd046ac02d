// What the simulated machine reads when it scans a circle: the path's geometry on an ideal
// machine, the real feature on a slow scan, the dynamic error's side on a fast one, and the
// arguments it refuses.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/platform/vexa/rig.h"

namespace vexa_sim_test {
namespace {

MachineConfig Quiet() {
  MachineConfig config;
  config.noise.sigma = 0.0;
  return config;
}

// Read minus true tip-centre radius, point by point. The true radius at angle theta about the
// feature's actual centre is the nominal radius + size error + lobes, then a tip radius in
// from a bore's wall or out from a boss's.
std::vector<double> Residuals(const std::vector<ScanPoint>& points, const MachineConfig& config,
                              const ScanArgs& args) {
  const CMaPoint centre =
      args.centre + CMaPoint(config.feature.centreOffsetX, config.feature.centreOffsetY, 0.0);
  std::vector<double> residuals;
  for (const auto& point : points) {
    const double theta = std::atan2(point.tip.y() - centre.y(), point.tip.x() - centre.x());
    double radius = args.diameter / 2.0 + config.feature.sizeError;
    for (const FormLobe& lobe : config.feature.lobes) {
      radius += lobe.amplitude * std::cos(lobe.undulations * theta + lobe.phase);
    }
    residuals.push_back(point.tip.DistanceTo(centre) - radius);
  }
  return residuals;
}

TEST(ScanGeometry, PointsLieOnPathCircleOnePitchApartFromStartAngleInDirectionOrder) {
  for (const BYTE direction : {BYTE{0}, BYTE{1}}) {
    Rig rig(MachineConfig::Ideal());
    ScanArgs args;
    args.direction = direction;
    args.centre = CMaPoint(3.0, -2.0, 5.0);
    args.startAngle = 72.0;
    const auto points = Scan(rig, args);
    // 450 degrees of a circle of radius 9 at a pitch of 0.1: 706.86 pitches, 707 points.
    ASSERT_EQ(707u, points.size());
    const double sign = args.direction == 0 ? 1.0 : -1.0;
    for (size_t i = 0; i < points.size(); ++i) {
      // The point after i pitches of 0.1 along the circle, from the start angle.
      const double angle = MaDegreeToRadian(args.startAngle) + sign * 0.1 * i / 9.0;
      const CMaPoint expected(3.0 + 9.0 * std::cos(angle), -2.0 + 9.0 * std::sin(angle), 5.0);
      ASSERT_LT(points[i].tip.DistanceTo(expected), 1e-6) << "point " << i;
    }
    // The tip stays at the last point once the scan has ended.
    EXPECT_TRUE(rig.machine->Tip().IsEqual(points.back().tip, 0.0));
  }
}

TEST(ScanReading, SlowScanLiesOnTheTrueFeature_FastOneReadsIntoTheMaterial) {
  for (const BYTE boreOrBoss : {BYTE{0}, BYTE{1}}) {
    ScanArgs args;
    args.boreOrBoss = boreOrBoss;
    args.speed = 5.0;
    args.centre = CMaPoint(1.0, 2.0, -3.0);
    Rig quiet(Quiet());
    const auto points = Scan(quiet, args);
    for (const double r : Residuals(points, Quiet(), args)) {
      ASSERT_LT(std::abs(r), 0.0001);
    }
    // The deflection points towards the surface, radial to within the microns by which the
    // real feature lies off the commanded circle.
    const double outwards = boreOrBoss == 0 ? args.deflection : -args.deflection;
    for (const auto& point : points) {
      const CMaPoint radial = point.tip - args.centre;
      const double r = MaPythag(radial.x(), radial.y());
      EXPECT_NEAR(outwards * radial.x() / r, point.deflection.x(), args.deflection * 0.001);
      EXPECT_NEAR(outwards * radial.y() / r, point.deflection.y(), args.deflection * 0.001);
      EXPECT_EQ(0.0, point.deflection.z());
    }
    // A fast scan reads into the material on average: outwards in a bore, inwards on a boss.
    args.speed = 100.0;
    double mean = 0.0;
    const std::vector<double> fast = Residuals(Scan(quiet, args), Quiet(), args);
    for (const double r : fast) {
      mean += r / static_cast<double>(fast.size());
    }
    EXPECT_GT(boreOrBoss == 0 ? mean : -mean, 0.001);
  }
}

TEST(SimulatedScan, RejectsIllegalArgumentsWithAnErrorButTakesTheLongestScan) {
  const struct {
    const char* what;
    void (*spoil)(ScanArgs&);
    bool legal = false;
  } cases[] = {
      {"zero diameter", [](ScanArgs& a) { a.diameter = 0.0; }},
      {"no sweep", [](ScanArgs& a) { a.overtravel = -360.0; }},
      {"axis in the plane", [](ScanArgs& a) { a.axis = CMaPoint(1.0, 0.0, 0.0); }},
      {"axis tilted about y", [](ScanArgs& a) { a.axis = CMaPoint(1.0, 0.0, 1.0); }},
      {"no axis", [](ScanArgs& a) { a.axis = CMaPoint(0.0, 0.0, 0.0); }},
      {"infinite deflection", [](ScanArgs& a) { a.deflection = INFINITY; }},
      {"a point tip", [](ScanArgs& a) { a.tipDiameter = 0.0; }, true},
      {"too many points", [](ScanArgs& a) { a.pitch = 1e-9; }},
      // 450 degrees of a circle of diameter 18 in 999999 pitches: the most points a scan has.
      {"the longest scan", [](ScanArgs& a) { a.pitch = 22.5 * MA_PI / 999999; }, true},
      {"boss path inside the tip", [](ScanArgs& a) { a.boreOrBoss = 1, a.diameter = 1.5; }},
      {"tip centre within the surface's deviation", [](ScanArgs& a) { a.diameter = 0.01; }}};
  for (const auto& c : cases) {
    Rig rig;
    ScanArgs args;
    c.spoil(args);
    LONG error = 0;
    EXPECT_EQ(c.legal ? 1 : 0, StartScan(rig, args, &error)) << c.what;
    EXPECT_EQ(c.legal ? 0 : kErrorIllegalScanParameter, error) << c.what;
    EXPECT_EQ(c.legal ? 1 : 0, rig.machine->ScansStarted()) << c.what;
  }
}

}  // namespace
}  // namespace vexa_sim_test
