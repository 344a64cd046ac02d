// What the simulated machine reads when it scans a circle: the path's geometry on an ideal
// machine, the real feature on a slow scan, the dynamic error's side on a fast one (and each
// term of the model of that error), and the arguments it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "platform/vexa/dynamics_model.h"
#include "tests/platform/vexa/rig.h"

namespace vexa_sim_test {
namespace {

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

// Where the points lie is checked by every run on the simulated machine (the scan's direction,
// start angle and pitch) and by ScanReading (its centre); here how many there are.
TEST(ScanGeometry, OnePointAPitchAlongThePathAndTheTipStaysAtTheLast) {
  for (const BYTE direction : {BYTE{0}, BYTE{1}}) {
    Rig rig(MachineConfig::Ideal());
    ScanArgs args;
    args.direction = direction;
    const auto points = Scan(rig, args);
    // 450 degrees of a circle of radius 9 at a pitch of 0.1: 706.86 pitches, 707 points.
    ASSERT_EQ(707u, points.size());
    // The tip stays at the last point once the scan has ended.
    EXPECT_TRUE(rig.machine->Tip().IsEqual(points.back().tip, 0.0));
  }
}

TEST(ScanReading, SlowScanLiesOnTheTrueFeature_FastOneReadsIntoTheMaterial) {
  MachineConfig config;
  config.noise.sigma = 0.0;
  for (const BYTE boreOrBoss : {BYTE{0}, BYTE{1}}) {
    ScanArgs args;
    args.boreOrBoss = boreOrBoss;
    args.speed = 5.0;
    args.centre = CMaPoint(1.0, 2.0, -3.0);
    Rig quiet(config);
    const auto points = Scan(quiet, args);
    for (const double r : Residuals(points, config, args)) {
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
    const std::vector<double> fast = Residuals(Scan(quiet, args), config, args);
    const double mean = std::accumulate(fast.begin(), fast.end(), 0.0) / fast.size();
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
  }
}

DynamicsModel Only(double DynamicsModel::*amplitude, double value) {
  DynamicsModel model;
  model.centripetalGain = model.anisotropy = model.glitchHeight = model.transientAmplitude = 0.0;
  model.*amplitude = value;
  return model;
}

ScanMotion At(double speed, double pathRadius, double thetaDegrees, double pathLength) {
  return {speed, pathRadius, MaDegreeToRadian(thetaDegrees), pathLength};
}

TEST(DynamicsModel, EachTermMatchesItsWorkedValue) {
  // beta (v^2 / R) / (2 pi f)^2 = 0.047 * (100^2 / 10) / (2 pi 20)^2 = 47 / 15791.37 mm.
  const auto centripetal = Only(&DynamicsModel::centripetalGain, 0.047);
  EXPECT_NEAR(2.97631e-3, DynamicRadialError(centripetal, At(100.0, 10.0, 33.0, 7.0)), 1e-8);

  // a2 (v / v_ref)^2 cos(2 theta + phi2) at half the reference speed and theta = 45 degrees.
  auto anisotropy = Only(&DynamicsModel::anisotropy, 0.0008);
  anisotropy.anisotropyPhase = 0.0;
  EXPECT_NEAR(0.0, DynamicRadialError(anisotropy, At(50.0, 10.0, 45.0, 0.0)), 1e-15);
  EXPECT_NEAR(-0.0002, DynamicRadialError(anisotropy, At(50.0, 10.0, 90.0, 0.0)), 1e-15);

  // Glitches peak where an axis reverses, fall to 1/e one width away, vanish between.
  const auto glitch = Only(&DynamicsModel::glitchHeight, 0.0006);
  for (const double reversal : {0.0, 90.0, 270.0, -90.0}) {
    EXPECT_NEAR(0.0006, DynamicRadialError(glitch, At(100.0, 10.0, reversal, 0.0)), 1e-15);
    EXPECT_NEAR(0.0003 / std::exp(1.0),
                DynamicRadialError(glitch, At(50.0, 10.0, reversal + 3.0, 0.0)), 1e-15);
  }
  EXPECT_LT(DynamicRadialError(glitch, At(100.0, 10.0, 45.0, 0.0)), 1e-12);

  // The transient rings one wavelength per 5 mm and decays by e every 4 mm of path.
  const auto transient = Only(&DynamicsModel::transientAmplitude, 0.0015);
  EXPECT_NEAR(0.0015, DynamicRadialError(transient, At(100.0, 10.0, 10.0, 0.0)), 1e-15);
  EXPECT_NEAR(-0.0015 * std::exp(-2.5 / 4.0),
              DynamicRadialError(transient, At(100.0, 10.0, 10.0, 2.5)), 1e-15);
}

}  // namespace
}  // namespace vexa_sim_test
