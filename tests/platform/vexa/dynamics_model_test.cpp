// The dynamic error the model adds on fast scans.
#include "platform/vexa/dynamics_model.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/trivell/geometry.h"

namespace vexa_sim_test {
namespace {

using namespace vexa_sim;

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
  EXPECT_NEAR(2.97631e-3 / 400.0, DynamicRadialError(centripetal, At(5.0, 10.0, 33.0, 7.0)), 1e-11);

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
  EXPECT_NEAR(0.0015 * std::exp(-5.0 / 4.0),
              DynamicRadialError(transient, At(100.0, 10.0, 10.0, 5.0)), 1e-15);
}

}  // namespace
}  // namespace vexa_sim_test
