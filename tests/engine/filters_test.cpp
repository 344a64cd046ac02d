// The forward and backward filters of a revolution's radii.
#include "src/engine/filters.h"

#include <gtest/gtest.h>

#include <complex>

#include "tests/engine/synthetic_scans.h"

namespace ombrixdc {
namespace {

// n samples evenly over one revolution from angle 0.
template <class F>
CMaDoubleArray Samples(std::size_t n, F f) {
  return ProfileOf(n, f, 0.0).radii;
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
  }
}

// A reversed input gives exactly the reversed output, as the backward lap mirrors the forward
// one.
TEST(FilterFirstOrder, ReversedInputGivesTheReversedOutput) {
  const CMaDoubleArray x = Samples(37, Wavy);
  const std::vector<double> y = FilterFirstOrder(3, x).Values();
  const CMaDoubleArray reversed =
      Array(std::vector<double>(x.Values().rbegin(), x.Values().rend()));
  EXPECT_EQ(FilterFirstOrder(3, reversed).Values(), std::vector<double>(y.rbegin(), y.rend()));
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
  EXPECT_THAT(FilterSecondOrder(1, x).Values(),
              testing::Pointwise(testing::DoubleEq(), SecondOrderByHand(1, x.Values())));
}

// Any method but 1 is the second-order filter; method 1 (first order) is the learning runs'
// golden files' own.
TEST(FilterRadii, AnyMethodButOneIsSecondOrder) {
  const CMaDoubleArray x = Samples(64, Wavy);
  EXPECT_EQ(FilterRadii(7, 5, x).Values(), FilterSecondOrder(5, x).Values());
}

}  // namespace
}  // namespace ombrixdc
