// The engine: circle scans prepared into profiles, the map grid, the filters, learning and
// compensated runs on the grid, and the map slots they store and apply.
#include "src/engine/compensation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

#include "platform/trivell/geometry.h"
#include "src/engine/circle_preparation.h"
#include "src/engine/error_number.h"
#include "src/engine/filters.h"
#include "src/engine/map_grid.h"
#include "src/engine/map_slots.h"
#include "src/engine/profile.h"

namespace ombrixdc {

// Synthetic circle scans.
inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;

struct TipLists {
  CMaDoubleArray x, y, z;
};

// n angles evenly from `from` to `to`, both included.
inline std::vector<double> Spread(double from, double to, std::size_t n) {
  std::vector<double> a;
  for (std::size_t i = 0; i < n; ++i) {
    a.push_back(from + (to - from) * static_cast<double>(i) / static_cast<double>(n - 1));
  }
  return a;
}

// n tip centres on a circle about (cx, cy), angles Spread(from, to, n), z = 3.
inline TipLists CircleTips(double cx, double cy, double radius, double from, double to,
                           std::size_t n) {
  TipLists tips;
  for (const double a : Spread(from, to, n)) {
    tips.x.Add(cx + radius * std::cos(a));
    tips.y.Add(cy + radius * std::sin(a));
    tips.z.Add(3.0);
  }
  return tips;
}

// A prepared-looking profile: n angles evenly over one revolution from just past the +Y axis,
// radius(angle) given by f.
template <class F>
RadialProfile ProfileOf(std::size_t n, F f) {
  RadialProfile p;
  for (std::size_t i = 0; i < n; ++i) {
    const double a = kPi / 2 + 1e-3 + kTwoPi * static_cast<double>(i) / static_cast<double>(n);
    p.angles.Add(a);
    p.radii.Add(f(a));
  }
  return p;
}

// Two lists of the same length, element by element within `tolerance`.
inline void ExpectNear(const CMaDoubleArray& got, const CMaDoubleArray& expected,
                       double tolerance) {
  ASSERT_EQ(got.GetSize(), expected.GetSize());
  for (std::size_t i = 0; i < got.GetSize(); ++i) {
    EXPECT_NEAR(got[i], expected[i], tolerance) << i;
  }
}

namespace {

CMaDoubleArray Array(std::vector<double> values) {
  CMaDoubleArray a;
  a.Values() = std::move(values);
  return a;
}

double FormError(double a) {
  return 10.0 + 0.004 * std::sin(3.0 * a) + 0.002 * std::cos(7.0 * a);
}

CompensationParameters Parameters(double featureRadius = 10.0) {
  return {.filterMethod = 1, .filterNumber = 20, .mapPitch = 0.5, .featureRadius = featureRadius};
}

// The fast scan reads the same part with a lag error and at slightly different angles.
RadialProfile FastOf(double (*part)(double)) {
  RadialProfile p;
  for (std::size_t i = 0; i < 3000; ++i) {
    const double a = kPi / 2 + 0.0007 + kTwoPi * static_cast<double>(i) / 3000.0;
    p.angles.Add(a);
    p.radii.Add(part(a) + 0.003 * std::sin(2.0 * a + 0.4));
  }
  return p;
}

// Identical scans give a zero map and corrected results equal to the fast ones; a perfect
// circle gives a zero premap, its slow map equal to its slow scan.
TEST(ComputeLearning, IdenticalScansGiveAZeroMap_APerfectCircleAZeroPremap) {
  const RadialProfile scan = ProfileOf(3600, FormError);
  const LearningResult r = ComputeLearning(Parameters(), scan, scan);
  ASSERT_EQ(r.error, ErrorNumber::None);
  for (const MapSlotIndex k : {MapSlotIndex::DcMapData, MapSlotIndex::PremappedDcMapData}) {
    EXPECT_EQ(r.slots[k].values.Values(), std::vector<double>(125, 0.0));
  }
  EXPECT_EQ(r.dataSets.corrected.radii.Values(), r.dataSets.fast.radii.Values());
  EXPECT_EQ(r.dataSets.correctedMap.radii.Values(), r.dataSets.fastMap.radii.Values());

  const LearningResult circle =
      ComputeLearning(Parameters(), ProfileOf(3600, [](double) { return 10.0; }),
                      FastOf([](double) { return 10.0; }));
  ExpectNear(circle.slots[MapSlotIndex::PreMapData].values, CMaDoubleArray(125), 1e-12);
}

TEST(ComputeReference, SlowMapIsTheLeastSquaresRadiusOfTheUnfilteredScan) {
  const RadialProfile slow = ProfileOf(3600, FormError);
  const ReferenceResult r = ComputeReference(Parameters(), slow);
  ASSERT_EQ(r.error, ErrorNumber::None);
  const double radius = FitProfileCircle(slow.radii, slow.angles).radius;
  ASSERT_EQ(r.slowMap.radii.GetSize(), 125u);
  for (std::size_t k = 0; k < 125; ++k) {
    EXPECT_NEAR(r.slowMap.radii[k], radius, 1e-12);
    // The filtered slow scan still shows the part's form on the grid.
    EXPECT_NEAR(r.slow.radii[k], FormError(r.slow.angles[k]), 2e-4) << k;
  }
  EXPECT_EQ(r.preMap.angles.Values(), r.slow.angles.Values());
}

TEST(ComputeCompensated, WithTheLearntMapRepeatsTheLearningRunsFastResults) {
  const RadialProfile slow = ProfileOf(3600, FormError);
  const RadialProfile fast = FastOf(FormError);
  const LearningResult learnt = ComputeLearning(Parameters(), slow, fast);
  ASSERT_EQ(learnt.error, ErrorNumber::None);

  const CompensatedResult r = ComputeCompensated(Parameters(), learnt.slots, fast);
  ASSERT_EQ(r.error, ErrorNumber::None);
  EXPECT_EQ(r.fastMap.radii.Values(), learnt.dataSets.fastMap.radii.Values());
  EXPECT_EQ(r.correctedMap.radii.Values(), learnt.dataSets.correctedMap.radii.Values());
  // Correcting the fast scan of the learnt part gives the slow scan back.
  ExpectNear(r.corrected.radii, learnt.dataSets.slow.radii, 1e-12);
  ExpectNear(r.correctedMap.radii, learnt.dataSets.slowMap.radii, 1e-12);
}

// A map matched within the radius tolerance was learnt on another grid (another step, so
// other angles and another count): it corrects at the run's own angles, giving back the slow
// scan as learning at the run's radius would have put it on the run's grid.
TEST(ComputeCompensated, AMapLearntAtAnotherRadiusCorrectsAtTheRunsAngles) {
  const RadialProfile slow = ProfileOf(3600, FormError);
  const RadialProfile fast = FastOf(FormError);
  const LearningResult learnt = ComputeLearning(Parameters(10.0), slow, fast);
  ASSERT_EQ(learnt.error, ErrorNumber::None);
  for (const double radius : {9.5, 10.5}) {
    const CompensatedResult r = ComputeCompensated(Parameters(radius), learnt.slots, fast);
    ASSERT_EQ(r.error, ErrorNumber::None) << radius;
    const LearningResult here = ComputeLearning(Parameters(radius), slow, fast);
    EXPECT_EQ(r.corrected.angles.Values(), here.dataSets.fast.angles.Values()) << radius;
    // Within the interpolation error of the part's 7-lobe form (largest across the grid's end,
    // where the step to the next revolution is longer): some 0.002 um. Map values added at
    // the wrong angles would be off by up to twice the lag error, 6 um.
    ExpectNear(r.corrected.radii, here.dataSets.slow.radii, 4e-6);
    ExpectNear(r.correctedMap.radii, here.dataSets.slowMap.radii, 4e-6);
  }
}

TEST(ComputeLearning, FailsWithoutComputingWhenAScanOrTheGridIsUnusable) {
  const RadialProfile slow = ProfileOf(3600, FormError);
  const RadialProfile tooShort = ProfileOf(3, FormError);
  EXPECT_EQ(ComputeLearning(Parameters(), slow, tooShort).error, kUnusableScan);
  EXPECT_EQ(ComputeLearning(Parameters(), tooShort, slow).error, kUnusableScan);
  CompensationParameters noPitch = Parameters();
  noPitch.mapPitch = 0.0;
  const LearningResult r = ComputeLearning(noPitch, slow, slow);
  EXPECT_EQ(r.error, ErrorNumber::Settings);
  EXPECT_TRUE(r.dataSets.slow.radii.IsEmpty());
  EXPECT_TRUE(r.slots[MapSlotIndex::PreMapData].values.IsEmpty());
}

// A map keeps reference minus fast at a copy of the grid's angles; applying it on the same
// grid adds it back as it is.
TEST(StoreMapAndApplyMap, DifferenceAddedBackOnTheMapsGrid) {
  const MapSlotResult stored =
      StoreMap(Array({5.0, 6.0, 7.0}), Array({4.5, 6.25, 7.0, 99.0}), Array({1.0, 2.0, 3.0}));
  ASSERT_EQ(stored.error, ErrorNumber::None);
  EXPECT_EQ(stored.slot.values.Values(), (std::vector<double>{0.5, -0.25, 0.0}));
  EXPECT_EQ(stored.slot.angles.Values(), (std::vector<double>{1.0, 2.0, 3.0}));
  const DataSetResult applied =
      ApplyMap(stored.slot, {Array({4.5, 6.25, 1.0}), Array({1.0, 2.0, 3.0})});
  ASSERT_EQ(applied.error, ErrorNumber::None);
  EXPECT_EQ(applied.data.radii.Values(), (std::vector<double>{5.0, 6.0, 1.0}));
  EXPECT_EQ(applied.data.angles.Values(), (std::vector<double>{1.0, 2.0, 3.0}));
}

// On other angles the map is a function of angle over the revolution: interpolated between
// its grid angles, round the revolution's end, and at an angle given a revolution off.
TEST(StoreMapAndApplyMap, OnOtherAnglesInterpolatesTheMapRoundTheRevolution) {
  const auto map = [](double a) { return 0.003 * std::sin(2.0 * a + 0.4) + 0.001 * std::cos(a); };
  MapSlot slot;
  slot.angles = *MapGridAngles(0.5, 8.0, kPi / 2);  // 100 angles, the last 0.0248 before +Y
  for (const double a : slot.angles) {
    slot.values.Add(map(a));
  }
  const CMaDoubleArray at =
      Array({kPi / 2 + 0.01, kPi / 2 + 0.07, 3.0, kPi / 2 + kTwoPi - 0.01, -2.0, 3.0 + 2 * kTwoPi});
  const DataSetResult r = ApplyMap(slot, {CMaDoubleArray(at.GetSize()), at});
  ASSERT_EQ(r.error, ErrorNumber::None);
  EXPECT_EQ(r.data.angles.Values(), at.Values());
  for (std::size_t i = 0; i < at.GetSize(); ++i) {
    EXPECT_NEAR(r.data.radii[i], map(at[i]), 5e-8) << at[i];
  }
}

TEST(StoreMapAndApplyMap, RefuseListsThatGiveNoMap) {
  const MapSlotResult stored = StoreMap(Array({5.0, 6.0, 7.0}), Array({4.5}), Array({1, 2, 3}));
  EXPECT_EQ(stored.error, ErrorNumber::StoredMapUnusable);
  EXPECT_TRUE(stored.slot.values.IsEmpty());
  const DataSet run{Array({2.0, 3.0, 4.0}), Array({1.5, 2.5, 3.5})};
  const MapSlot unusable[] = {
      {},                                                          // nothing stored
      {Array({1.0, 1.0}), Array({1.0, 2.0, 3.0, 4.0})},            // values and angles differ
      {Array({1.0, 1.0, 1.0}), Array({1.0, 2.0, 3.0})},            // three angles: no cubic
      {Array({1.0, 1.0, 1.0, 1.0}), Array({1.0, 3.0, 2.0, 4.0})},  // not increasing
      {Array({1.0, 1.0, 1.0, 1.0}), Array({1.0, 2.0, 3.0, 7.5})},  // more than a revolution
  };
  for (const MapSlot& slot : unusable) {
    const DataSetResult r = ApplyMap(slot, run);
    EXPECT_EQ(r.error, ErrorNumber::StoredMapUnusable) << slot.angles.GetSize();
    EXPECT_TRUE(r.data.radii.IsEmpty() && r.data.angles.IsEmpty());
  }
  const MapSlot good{Array({1.0, 1.0, 1.0, 1.0}), Array({1.0, 2.0, 3.0, 4.0})};
  EXPECT_EQ(ApplyMap(good, run).error, ErrorNumber::None);
  EXPECT_EQ(ApplyMap(good, {Array({2.0}), Array({1.0, 2.0})}).error,
            ErrorNumber::StoredMapUnusable);
}

// GetLastError's codes: the component's numbers as 0x83100000 + n, everything else (a
// controller's code last) unchanged. (The table's names and codes are held against
// docs/errors.md by the offline example's test.)
TEST(ErrorCode, MapsEveryTableNumberAndPassesOthersThrough) {
  const std::pair<int32_t, uint32_t> cases[] = {
      {0, 0u},   {1, 0x83100001u},  {15, 0x8310000Fu},
      {16, 16u}, {-1, 0xFFFFFFFFu}, {static_cast<int32_t>(0x81600077u), 0x81600077u}};
  for (const auto& [number, code] : cases) {
    EXPECT_EQ(ErrorCode(number), code) << number;
  }
  static_assert(ErrorCode(ErrorNumber::MapPairNotWritten) == 0x83100006u);
  static_assert(ErrorCode(ErrorNumber::RunDirectory) == 0x8310000Eu);
}

constexpr double kTol = 1e-9;

class PrepareBoreScan : public ::testing::Test {
 protected:
  static constexpr std::size_t kSamples = 401;
  const double from = 0.0, to = kTwoPi + 3 * kPi / 4;
  TipLists tips = CircleTips(100.0, 50.0, 9.0, from, to, kSamples);
};

// The profile is the samples from the first one at or past pi/2 to the last one at or before
// 2*pi + pi/2. Each sample's radius and angle come from its centred tip point, rounded step by
// step as sqrt(x*x + y*y) +- d and the angle of (x/r, y/r), so that the same scan always gives
// the same profile, to the last bit; the tip lists are left centred and trimmed with it. The
// surface points come back about the centre found.
TEST_F(PrepareBoreScan, GivesOneRevolutionFromThePlusYAxisRoundedAsTheTipPointsGive) {
  const std::vector<double> a = Spread(from, to, kSamples);
  const auto first = std::find_if(a.begin(), a.end(), [](double v) { return v >= kPi / 2; });
  const auto last = std::find_if(a.begin(), a.end(), [](double v) { return v > 2.5 * kPi; });
  const auto expectedCount = static_cast<std::size_t>(last - first);
  for (const auto& [boreOrBoss, tipSign] : {std::pair{0, 1.0}, std::pair{1, -1.0}}) {
    TipLists t = tips;
    const PreparedScan prepared = PrepareScanProfile(boreOrBoss, 0, 1.0, t.x, t.y, t.z);
    ASSERT_EQ(prepared.error, ErrorNumber::None);
    EXPECT_NEAR(prepared.centre.x(), 100.0, kTol);
    EXPECT_NEAR(prepared.centre.y(), 50.0, kTol);
    const RadialProfile& p = prepared.profile;
    ASSERT_EQ(p.radii.GetSize(), expectedCount);
    ASSERT_EQ(p.angles.GetSize(), expectedCount);
    ASSERT_EQ(t.x.GetSize(), expectedCount);
    EXPECT_NEAR(p.angles[0], *first, kTol);
    EXPECT_LE(p.angles[expectedCount - 1], kPi / 2 + kTwoPi);
    for (std::size_t i = 0; i < expectedCount; ++i) {
      const double x = t.x[i], y = t.y[i];
      const double r = std::sqrt(x * x + y * y);
      const double lift = x >= 0.0 && y >= 0.0 ? kTwoPi : 0.0;  // the closing run
      EXPECT_EQ(p.radii[i], r + tipSign) << i;
      EXPECT_EQ(p.angles[i], MaArcCosSin(x / r, y / r) + lift) << i;
      EXPECT_NEAR(r, 9.0, kTol) << i;
      EXPECT_EQ(t.z[i], 3.0);
    }
    const CMaPointArray points = ProfileToPoints(p.radii, p.angles, prepared.centre);
    ASSERT_EQ(points.GetSize(), expectedCount);
    for (const CMaPoint& point : points) {
      EXPECT_NEAR(std::hypot(point.x() - 100.0, point.y() - 50.0), 9.0 + tipSign, kTol);
    }
  }
}

TEST(PrepareScanProfile, ReportsScansThatGiveNoRevolutionAsUnusable) {
  const std::pair<const char*, std::vector<double>> cases[] = {
      {"empty", {}},
      {"two points", {0.1, 2.0}},
      {"never reaches the +Y axis", Spread(kPi + 0.1, kTwoPi - 0.1, 50)},
      {"no first-quadrant point after the axis", Spread(0.0, 0.75 * kPi, 50)},
      {"three samples from the axis round",
       {1.1 * kPi, 1.5 * kPi, 1.9 * kPi, 0.6 * kPi, 1.2 * kPi, 0.3 * kPi}}};
  for (const auto& [name, angles] : cases) {
    TipLists tips;
    for (double a : angles) {
      tips.x.Add(20.0 + 4.0 * std::cos(a));
      tips.y.Add(-7.0 + 4.0 * std::sin(a));
      tips.z.Add(0.0);
    }
    const PreparedScan prepared = PrepareScanProfile(0, 0, 1.0, tips.x, tips.y, tips.z);
    EXPECT_EQ(prepared.error, kUnusableScan) << name;
    EXPECT_TRUE(prepared.profile.radii.IsEmpty() && prepared.profile.angles.IsEmpty()) << name;
  }
  TipLists tips = CircleTips(0.0, 0.0, 5.0, 0.0, 2.5 * kPi, 100);
  tips.z.SetSize(99);  // tip lists of different lengths
  EXPECT_EQ(PrepareScanProfile(0, 0, 1.0, tips.x, tips.y, tips.z).error, kUnusableScan);
}

// An anticlockwise scan gives the profile of the same scan taken clockwise; its deflections are
// reversed and trimmed with the tips.
TEST(PrepareScanProfile, AnticlockwiseScanGivesTheClockwiseProfile_DeflectionsFollow) {
  TipLists tips = CircleTips(0.0, 0.0, 5.0, 2.75 * kPi, 0.0, 200);  // anticlockwise order
  DeflectionLists deflections;
  for (std::size_t i = 0; i < 200; ++i) {
    tips.z[i] = static_cast<double>(i);
    deflections.a.Add(static_cast<double>(i));
    deflections.b.Add(-static_cast<double>(i));
  }
  for (std::size_t i = 0; i < 190; ++i) {
    deflections.c.Add(static_cast<double>(i));  // ten deflection reads failed
  }
  CMaDoubleArray expectedC = deflections.c;
  std::reverse(expectedC.begin(), expectedC.end());

  const PreparedScan prepared = PrepareScanProfile(0, 1, 0.0, tips.x, tips.y, tips.z, deflections);
  ASSERT_EQ(prepared.error, ErrorNumber::None);
  TipLists clockwise = CircleTips(0.0, 0.0, 5.0, 0.0, 2.75 * kPi, 200);
  const RadialProfile forward =
      PrepareScanProfile(0, 0, 0.0, clockwise.x, clockwise.y, clockwise.z).profile;
  ExpectNear(prepared.profile.radii, forward.radii, 1e-12);
  ExpectNear(prepared.profile.angles, forward.angles, 1e-12);
  const std::size_t m = prepared.profile.radii.GetSize();
  EXPECT_EQ(deflections.a.Values(), tips.z.Values());
  ASSERT_EQ(deflections.b.GetSize(), m);
  for (std::size_t i = 0; i < m; ++i) {
    EXPECT_EQ(deflections.b[i], -tips.z[i]);
  }
  // The short list is cut by the same rule within its own length, never read past its end.
  const auto start = static_cast<std::size_t>(199 - tips.z[0]);
  ASSERT_LE(deflections.c.GetSize(), m);
  for (std::size_t i = 0; i < deflections.c.GetSize(); ++i) {
    EXPECT_EQ(deflections.c[i], expectedC[start + i]);
  }
}

TEST(MapGridAngles, PitchHalfOnRadiusTenGives125AnglesOneStepApart) {
  const std::optional<CMaDoubleArray> grid = MapGridAngles(0.5, 10.0, kMapGridStartAngle);
  ASSERT_TRUE(grid.has_value());
  ASSERT_EQ(grid->GetSize(), 125u);
  const double step = 0.5 / 10.0;
  EXPECT_EQ((*grid)[0], kMapGridStartAngle + step);
  for (std::size_t k = 1; k < grid->GetSize(); ++k) {
    EXPECT_EQ((*grid)[k], (*grid)[k - 1] + step) << k;
  }
  EXPECT_LT((*grid)[124], kPi / 2 + kTwoPi);
  EXPECT_GE((*grid)[124] + step, kPi / 2 + kTwoPi);
}

TEST(MapGridAngles, RefusesStepsThatGiveNoUsableGrid) {
  const std::pair<double, double> pitchAndRadius[] = {
      {0.0, 10.0},     {0.5, -10.0},  {std::nan(""), 10.0},
      {0.5, INFINITY},  // and a step finer than any machine resolves, or over a revolution:
      {1e-300, 10.0},  {100.0, 10.0},
  };
  for (const auto& [pitch, radius] : pitchAndRadius) {
    EXPECT_FALSE(MapGridAngles(pitch, radius, kMapGridStartAngle)) << pitch << " " << radius;
  }
  // Both users of the grid report it as a settings error.
  const RadialProfile p = ProfileOf(100, [](double) { return 5.0; });
  const DataSetResult resampled =
      ResampleToMapGrid(0.0, 10.0, kMapGridStartAngle, p.radii, p.angles);
  EXPECT_EQ(resampled.error, ErrorNumber::Settings);
  EXPECT_TRUE(resampled.data.radii.IsEmpty());
  EXPECT_EQ(FitToMapGrid(0.0, 10.0, kMapGridStartAngle, p.radii, p.angles).error,
            ErrorNumber::Settings);
}

double Lumpy(double a) {
  return 10.0 + 0.01 * std::sin(5.0 * a) + 0.004 * std::cos(17.0 * a);
}

// The Lagrange sum written out term by term, each term V[i] times its three quotients
// multiplied in from the left, the terms added in node order.
double LagrangeAsWritten(const RadialProfile& p, const std::vector<std::size_t>& n, double x) {
  const auto q = [&](std::size_t i, std::size_t j) {
    return (x - p.angles[n[j]]) / (p.angles[n[i]] - p.angles[n[j]]);
  };
  double sum = 0.0;
  sum += p.radii[n[0]] * q(0, 1) * q(0, 2) * q(0, 3);
  sum += p.radii[n[1]] * q(1, 0) * q(1, 2) * q(1, 3);
  sum += p.radii[n[2]] * q(2, 0) * q(2, 1) * q(2, 3);
  sum += p.radii[n[3]] * q(3, 0) * q(3, 1) * q(3, 2);
  return sum;
}

// Inside, the cubic through the two samples either side; before the second sample and after the
// last but one, the cubic through both ends. Stored maps are written with every digit of each
// value, so the rounding must be that of the sum as written.
TEST(ResampleToMapGrid, UsesTheTwoSamplesEitherSideInsideAndBothEndsOutside) {
  // Sparse samples, so that several grid angles fall before the second sample and after the
  // last but one.
  RadialProfile p;
  p.angles.Add(kPi / 2 + 0.01);
  for (int i = 0; i <= 30; ++i) {
    p.angles.Add(kPi / 2 + 0.2 + (kTwoPi - 0.5) * i / 30.0);
  }
  p.angles.Add(kPi / 2 + kTwoPi - 0.02);
  for (double a : p.angles) {
    p.radii.Add(Lumpy(a));
  }
  const std::size_t n = p.angles.GetSize();
  const DataSetResult r = ResampleToMapGrid(0.5, 10.0, kMapGridStartAngle, p.radii, p.angles);
  ASSERT_EQ(r.error, ErrorNumber::None);

  int beforeSecond = 0, afterLastButOne = 0;
  for (std::size_t k = 0; k < r.data.angles.GetSize(); ++k) {
    const double theta = r.data.angles[k];
    std::vector<std::size_t> nodes = {0, 1, n - 2, n - 1};
    if (p.angles[1] <= theta && theta < p.angles[n - 2]) {
      std::size_t j = 0;
      while (p.angles[j] <= theta) {
        ++j;
      }
      nodes = {j - 2, j - 1, j, j + 1};
    } else {
      (theta < p.angles[1] ? beforeSecond : afterLastButOne)++;
      // Not the cubic through the nearest four samples.
      const std::vector<std::size_t> nearest =
          theta < p.angles[1] ? std::vector<std::size_t>{0, 1, 2, 3}
                              : std::vector<std::size_t>{n - 4, n - 3, n - 2, n - 1};
      EXPECT_GT(std::fabs(r.data.radii[k] - LagrangeAsWritten(p, nearest, theta)), 1e-7) << k;
    }
    EXPECT_EQ(r.data.radii[k], LagrangeAsWritten(p, nodes, theta)) << k;
  }
  EXPECT_EQ(beforeSecond, 3);
  EXPECT_GE(afterLastButOne, 3);
}

TEST(ResampleToMapGrid, ReportsProfilesItCannotInterpolateAsUnusable) {
  RadialProfile tooShort = ProfileOf(3, [](double) { return 5.0; });
  RadialProfile repeated = ProfileOf(50, [](double) { return 5.0; });
  repeated.angles[20] = repeated.angles[19];
  RadialProfile mismatched = ProfileOf(50, [](double) { return 5.0; });
  mismatched.angles.SetSize(49);
  for (const RadialProfile* p : {&tooShort, &repeated, &mismatched}) {
    const DataSetResult r = ResampleToMapGrid(0.5, 10.0, kMapGridStartAngle, p->radii, p->angles);
    EXPECT_EQ(r.error, kUnusableScan);
    EXPECT_TRUE(r.data.radii.IsEmpty() && r.data.angles.IsEmpty());
  }
}

TEST(FitToMapGrid, GivesTheLeastSquaresRadiusAtEveryGridAngle_NoneForALine) {
  // A circle of radius 4 about (1, 0.5), seen from the origin inside it.
  const RadialProfile p = ProfileOf(720, [](double a) {
    const double along = std::cos(a) + 0.5 * std::sin(a);
    return along + std::sqrt(along * along - 1.25 + 16.0);
  });
  const DataSetResult r = FitToMapGrid(0.5, 10.0, kMapGridStartAngle, p.radii, p.angles);
  ASSERT_EQ(r.error, ErrorNumber::None);
  EXPECT_EQ(r.data.angles.Values(), MapGridAngles(0.5, 10.0, kMapGridStartAngle)->Values());
  ASSERT_EQ(r.data.radii.GetSize(), 125u);
  for (double radius : r.data.radii) {
    EXPECT_NEAR(radius, 4.0, 1e-9);
  }
  RadialProfile line;  // points on y = 1
  for (int i = 1; i < 20; ++i) {
    const double a = kPi * i / 20.0;
    line.angles.Add(a);
    line.radii.Add(1.0 / std::sin(a));
  }
  EXPECT_EQ(FitToMapGrid(0.5, 10.0, kMapGridStartAngle, line.radii, line.angles).error,
            kUnusableScan);
}

constexpr double kTwoPi = 6.283185307179586;

template <class F>
CMaDoubleArray Samples(std::size_t n, F f) {
  CMaDoubleArray x(n);
  for (std::size_t i = 0; i < n; ++i) {
    x[i] = f(kTwoPi * static_cast<double>(i) / static_cast<double>(n));
  }
  return x;
}

double Wavy(double a) {
  return 10.0 + 0.3 * std::sin(3 * a) + 0.05 * std::cos(40 * a + 1);
}

// Steady-state gain of the forward/backward average for an undulation of `cycles` per
// revolution: the real part of the filter's frequency response. The responses are written
// from the analogue designs: 1/(tau*s + 1) with tau = 1/(sqrt(2)*N) by backward differences,
// and w^2/(s^2 + 1.4*w*s + w^2) with w = sqrt(2)*N by the bilinear transform.
double FirstOrderGain(int filterNumber, std::size_t n, int cycles) {
  const double delta = kTwoPi / static_cast<double>(n);
  const std::complex<double> zInverse = std::polar(1.0, -cycles * delta);
  const std::complex<double> s = (1.0 - zInverse) / delta;
  return (1.0 / (s / (std::sqrt(2.0) * filterNumber) + 1.0)).real();
}

double SecondOrderGain(int filterNumber, std::size_t n, int cycles) {
  const double delta = kTwoPi / static_cast<double>(n);
  const double w = std::sqrt(2.0) * filterNumber;
  const std::complex<double> s(0.0, 2.0 / delta * std::tan(cycles * delta / 2.0));
  return (w * w / (s * s + 1.4 * w * s + w * w)).real();
}

using FilterFn = CMaDoubleArray (*)(int32_t, const CMaDoubleArray&);
using GainFn = double (*)(int, std::size_t, int);

TEST(BothFilters, ScaleUndulationsByTheirResponseWithoutShiftingThem) {
  const std::size_t n = 3600;
  const int filterNumber = 20;
  for (auto [filter, gain] : {std::pair<FilterFn, GainFn>{FilterFirstOrder, FirstOrderGain},
                              {FilterSecondOrder, SecondOrderGain}}) {
    const int cycles[2] = {3, 100};
    const double gains[2] = {gain(filterNumber, n, 3), gain(filterNumber, n, 100)};
    for (int c = 0; c < 2; ++c) {
      const CMaDoubleArray x = Samples(n, [&](double a) { return std::sin(cycles[c] * a); });
      const CMaDoubleArray y = filter(filterNumber, x);
      // The second laps start from seeds one or two samples out of step (values from the
      // other end of the revolution); away from that seam only the steady state is left, a
      // real gain with no shift (zero phase).
      for (std::size_t i = n / 4; i < 3 * n / 4; ++i) {
        ASSERT_NEAR(y[i], gains[c] * x[i], 1e-9) << cycles[c] << " cycles, sample " << i;
      }
    }
    EXPECT_GT(gains[0], 0.95);
    EXPECT_LT(std::fabs(gains[1]), 0.5 * gains[0]);
  }
}

// Number 0 averages the first and last samples everywhere; a reversed input gives exactly
// the reversed output, as the backward lap mirrors the forward one.
TEST(FilterFirstOrder, NumberZeroAndReversedInput) {
  const CMaDoubleArray x = Samples(37, Wavy);
  EXPECT_EQ(FilterFirstOrder(0, x).Values(), std::vector<double>(37, 0.5 * (x[0] + x[36])));
  CMaDoubleArray reversed = x;
  std::reverse(reversed.begin(), reversed.end());
  CMaDoubleArray y = FilterFirstOrder(3, x);
  std::reverse(y.begin(), y.end());
  EXPECT_EQ(FilterFirstOrder(3, reversed).Values(), y.Values());
}

// The second-order recursion written out directly from its description, for a short input
// where the seeding of the second laps still shows in every sample.
std::vector<double> SecondOrderByHand(int filterNumber, const std::vector<double>& x) {
  const std::size_t n = x.size();
  const double d = kTwoPi / static_cast<double>(n);
  const double w = std::sqrt(2.0) * filterNumber, q = 1.4 / w, p = 1.0 / (w * w);
  const double den = d * d + 2.0 * q * d + 4.0 * p;
  const double b0 = d * d / den, b1 = 2.0 * d * d / den;
  const double a1 = (2.0 * d * d - 8.0 * p) / den, a2 = (d * d - 2.0 * q * d + 4.0 * p) / den;
  std::vector<double> f = x, b = x, y(n);
  for (int lap = 0; lap < 2; ++lap) {
    if (lap == 1) {  // forward: the end of lap one, in order; backward: its start, swapped
      f[0] = f[n - 1], f[1] = f[n - 2];
      const double first = b[0];
      b[n - 1] = b[1], b[n - 2] = first;
    }
    for (std::size_t i = 2; i < n; ++i) {
      f[i] = b0 * (x[i] + x[i - 2]) + b1 * x[i - 1] - a1 * f[i - 1] - a2 * f[i - 2];
    }
    for (std::size_t i = n - 2; i-- > 0;) {
      b[i] = b0 * (x[i] + x[i + 2]) + b1 * x[i + 1] - a1 * b[i + 1] - a2 * b[i + 2];
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    y[i] = 0.5 * (f[i] + b[i]);
  }
  return y;
}

TEST(FilterSecondOrder, SeedsEachSecondLapFromTheEndOfTheFirst) {
  const CMaDoubleArray x = Samples(9, Wavy);
  const std::vector<double> expected = SecondOrderByHand(1, x.Values());
  const CMaDoubleArray y = FilterSecondOrder(1, x);
  ASSERT_EQ(y.GetSize(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_DOUBLE_EQ(y[i], expected[i]) << i;
  }
}

// Inputs too short for the recursion come back unchanged; method 1 is the first-order filter,
// any other the second-order one.
TEST(FilterRadii, ShortInputsUnchanged_MethodOneIsFirstOrder) {
  const CMaDoubleArray one = Samples(1, Wavy), two = Samples(2, Wavy), x = Samples(64, Wavy);
  EXPECT_EQ(FilterFirstOrder(20, one).Values(), one.Values());
  EXPECT_EQ(FilterSecondOrder(20, two).Values(), two.Values());
  EXPECT_EQ(FilterRadii(1, 5, x).Values(), FilterFirstOrder(5, x).Values());
  EXPECT_EQ(FilterRadii(7, 5, x).Values(), FilterSecondOrder(5, x).Values());
}

}  // namespace

}  // namespace ombrixdc
