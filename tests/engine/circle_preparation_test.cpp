// Circle scans prepared into one revolution's profile from the +Y axis.
#include "src/engine/circle_preparation.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/trivell/geometry.h"
#include "tests/engine/synthetic_scans.h"

namespace ombrixdc {

constexpr double kTol = 1e-9;

// The profile is the samples from the first one at or past pi/2 to the last one at or before
// 2*pi + pi/2. Each sample's radius and angle come from its centred tip point, rounded step by
// step as sqrt(x*x + y*y) +- d and the angle of (x/r, y/r), so that the same scan always gives
// the same profile, to the last bit; the tip lists are left centred and trimmed with it.
TEST(PrepareScanProfile, GivesOneRevolutionFromThePlusYAxisRoundedAsTheTipPointsGive) {
  const std::vector<double> a = Spread(0.0, kTwoPi + 3 * kPi / 4, 401);
  const auto first = std::find_if(a.begin(), a.end(), [](double v) { return v >= kPi / 2; });
  const auto last = std::find_if(a.begin(), a.end(), [](double v) { return v > 2.5 * kPi; });
  const auto expectedCount = static_cast<std::size_t>(last - first);
  for (const auto& [boreOrBoss, tipSign] : {std::pair{0, 1.0}, std::pair{1, -1.0}}) {
    TipLists t = CircleTips(100.0, 50.0, 9.0, a);
    const PreparedScan prepared = PrepareScanProfile(boreOrBoss, 0, 1.0, t.x, t.y, t.z);
    ASSERT_EQ(prepared.error, ErrorNumber::None);
    EXPECT_NEAR(prepared.centre.x(), 100.0, kTol);
    EXPECT_NEAR(prepared.centre.y(), 50.0, kTol);
    const RadialProfile& p = prepared.profile;
    ASSERT_EQ(p.radii.GetSize(), expectedCount);
    ASSERT_EQ(p.angles.GetSize(), expectedCount);
    ASSERT_EQ(t.x.GetSize(), expectedCount);
    EXPECT_NEAR(p.angles[0], *first, kTol);
    for (std::size_t i = 0; i < expectedCount; ++i) {
      const double x = t.x[i], y = t.y[i];
      const double r = std::sqrt(x * x + y * y);
      const double lift = x >= 0.0 && y >= 0.0 ? kTwoPi : 0.0;  // the closing run
      EXPECT_EQ(p.radii[i], r + tipSign) << i;
      EXPECT_EQ(p.angles[i], MaArcCosSin(x / r, y / r) + lift) << i;
      EXPECT_NEAR(r, 9.0, kTol) << i;
      EXPECT_EQ(t.z[i], 3.0);
    }
  }
}

TEST(PrepareScanProfile, ReportsScansThatGiveNoRevolutionAsUnusable) {
  const std::pair<const char*, std::vector<double>> cases[] = {
      {"empty", {}},
      {"never reaches the +Y axis", Spread(kPi + 0.1, kTwoPi - 0.1, 50)},
      {"no first-quadrant point after the axis", Spread(0.0, 0.75 * kPi, 50)},
      {"three samples from the axis round",
       {1.1 * kPi, 1.5 * kPi, 1.9 * kPi, 0.6 * kPi, 1.2 * kPi, 0.3 * kPi}},
      // Past the axis and round, but ending 10 degrees short of it: a sector never measured.
      {"ends short of the axis", Spread(0.3 * kPi, 2.5 * kPi - 0.175, 400)}};
  for (const auto& [name, angles] : cases) {
    TipLists tips = CircleTips(20.0, -7.0, 4.0, angles);
    const PreparedScan prepared = PrepareScanProfile(0, 0, 1.0, tips.x, tips.y, tips.z);
    EXPECT_EQ(prepared.error, kUnusableScan) << name;
    EXPECT_TRUE(prepared.profile.radii.IsEmpty() && prepared.profile.angles.IsEmpty()) << name;
  }
  TipLists tips = CircleTips(0.0, 0.0, 5.0, Spread(0.0, 2.5 * kPi, 100));
  tips.z.SetSize(99);  // tip lists of different lengths
  EXPECT_EQ(PrepareScanProfile(0, 0, 1.0, tips.x, tips.y, tips.z).error, kUnusableScan);
}

// An anticlockwise scan gives the profile of the same scan taken clockwise; its deflections are
// reversed and trimmed with the tips.
TEST(PrepareScanProfile, AnticlockwiseScanGivesTheClockwiseProfile_DeflectionsFollow) {
  TipLists tips = CircleTips(0.0, 0.0, 5.0, Spread(2.75 * kPi, 0.0, 200));  // anticlockwise
  DeflectionLists deflections;
  for (std::size_t i = 0; i < 200; ++i) {
    tips.z[i] = static_cast<double>(i);
  }
  deflections.a = tips.z;
  deflections.c = Array(std::vector<double>(tips.z.begin(), tips.z.end() - 10));  // ten failed

  const PreparedScan prepared = PrepareScanProfile(0, 1, 0.0, tips.x, tips.y, tips.z, deflections);
  ASSERT_EQ(prepared.error, ErrorNumber::None);
  TipLists clockwise = CircleTips(0.0, 0.0, 5.0, Spread(0.0, 2.75 * kPi, 200));
  const RadialProfile forward =
      PrepareScanProfile(0, 0, 0.0, clockwise.x, clockwise.y, clockwise.z).profile;
  ExpectNear(prepared.profile.radii, forward.radii, 1e-12);
  ExpectNear(prepared.profile.angles, forward.angles, 1e-12);
  const std::size_t m = prepared.profile.radii.GetSize();
  EXPECT_EQ(deflections.a.Values(), tips.z.Values());
  // The short list is cut by the same rule within its own length, never read past its end: its
  // values 0 to 189 reversed.
  const auto start = static_cast<std::size_t>(199 - tips.z[0]);
  ASSERT_LE(deflections.c.GetSize(), m);
  for (std::size_t i = 0; i < deflections.c.GetSize(); ++i) {
    EXPECT_EQ(deflections.c[i], 189.0 - static_cast<double>(start + i));
  }
}

}  // namespace ombrixdc
