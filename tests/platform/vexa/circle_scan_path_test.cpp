// What the simulated machine reads when it scans: the real feature through the machine's
// dynamics and noise, checked against the feature's own description.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_sim;
using namespace vexa_test;

namespace {

constexpr double kMicron = 0.001;

MachineConfig Quiet() {
  MachineConfig config;
  config.noise.sigma = 0.0;
  return config;
}

std::vector<ScanPoint> Scan(Rig& rig, const ScanArgs& args) {
  EXPECT_EQ(1, StartScan(rig, args));
  return PollScan(rig.ps.Get());
}

// The radius of the tip centre touching the described feature at angle theta about its actual
// centre: nominal radius + size error + lobes, then a tip radius in from a bore's wall or out
// from a boss's.
double TrueTipRadius(const MachineConfig& config, const ScanArgs& args, double theta) {
  const double tipRadius = args.tipDiameter / 2.0;
  const double side = args.boreOrBoss == 1 ? 1.0 : -1.0;
  double radius = args.diameter / 2.0 - side * tipRadius + config.feature.sizeError;
  for (const FormLobe& lobe : config.feature.lobes) {
    radius += lobe.amplitude * std::cos(lobe.undulations * theta + lobe.phase);
  }
  return radius + side * tipRadius;
}

CMaPoint ActualCentre(const MachineConfig& config, const ScanArgs& args) {
  return args.centre + CMaPoint(config.feature.centreOffsetX, config.feature.centreOffsetY, 0.0);
}

// Read minus true tip-centre radius, point by point.
std::vector<double> Residuals(const std::vector<ScanPoint>& points, const MachineConfig& config,
                              const ScanArgs& args) {
  const CMaPoint centre = ActualCentre(config, args);
  std::vector<double> residuals;
  for (const auto& point : points) {
    const double dx = point.tip.x() - centre.x();
    const double dy = point.tip.y() - centre.y();
    residuals.push_back(MaPythag(dx, dy) - TrueTipRadius(config, args, std::atan2(dy, dx)));
  }
  return residuals;
}

double Mean(const std::vector<double>& values, size_t from = 0, size_t to = SIZE_MAX) {
  to = std::min(to, values.size());
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) {
    sum += values[i];
  }
  return sum / static_cast<double>(to - from);
}

double LargestMagnitude(const std::vector<double>& values) {
  double largest = 0.0;
  for (const double v : values) {
    largest = std::max(largest, std::abs(v));
  }
  return largest;
}

}  // namespace

TEST(ScanReading, SlowScanLiesWithinATenthOfAMicronOfTheTrueFeature) {
  for (const BYTE boreOrBoss : {BYTE{0}, BYTE{1}}) {
    ScanArgs args;
    args.boreOrBoss = boreOrBoss;
    args.speed = 5.0;
    args.centre = CMaPoint(1.0, 2.0, -3.0);
    Rig quiet(Quiet());
    EXPECT_LT(LargestMagnitude(Residuals(Scan(quiet, args), Quiet(), args)), 0.1 * kMicron);

    // The noise is centred and of the configured size.
    Rig noisy;
    const auto residuals = Residuals(Scan(noisy, args), noisy.machine->Config(), args);
    double squares = 0.0;
    for (const double r : residuals) {
      squares += r * r;
    }
    const double rms = std::sqrt(squares / static_cast<double>(residuals.size()));
    const double sigma = noisy.machine->Config().noise.sigma;
    EXPECT_NEAR(0.0, Mean(residuals), 0.02 * kMicron);
    EXPECT_GT(rms, 0.8 * sigma);
    EXPECT_LT(rms, 1.2 * sigma);
  }
}

// One path circle for both, so that the dynamics are alike and only the side differs.
TEST(ScanReading, FastScanReadsAFewMicronsIntoTheMaterialOfBoreAndBossAlike) {
  ScanArgs bore;
  bore.speed = 100.0;
  ScanArgs boss = bore;
  boss.boreOrBoss = 1;
  Rig boreRig(Quiet()), bossRig(Quiet());
  const auto boreResiduals = Residuals(Scan(boreRig, bore), Quiet(), bore);
  const auto bossResiduals = Residuals(Scan(bossRig, boss), Quiet(), boss);
  ASSERT_EQ(boreResiduals.size(), bossResiduals.size());

  // A bore of radius 10 reads large by a few microns everywhere.
  EXPECT_GT(Mean(boreResiduals), 2.0 * kMicron);
  EXPECT_LT(Mean(boreResiduals), 5.0 * kMicron);
  EXPECT_GT(*std::min_element(boreResiduals.begin(), boreResiduals.end()), 0.5 * kMicron);
  EXPECT_LT(*std::max_element(boreResiduals.begin(), boreResiduals.end()), 8.0 * kMicron);
  // The boss reads small by the same amounts.
  for (size_t i = 0; i < boreResiduals.size(); ++i) {
    ASSERT_NEAR(boreResiduals[i], -bossResiduals[i], 0.002 * kMicron) << "point " << i;
  }
}
