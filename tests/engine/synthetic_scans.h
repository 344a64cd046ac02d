#pragma once
// Synthetic circle scans and profiles for the engine's tests.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

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

// Tip centres on a circle about (cx, cy) at the given angles, z = 3.
inline TipLists CircleTips(double cx, double cy, double radius, const std::vector<double>& angles) {
  TipLists tips;
  for (const double a : angles) {
    tips.x.Add(cx + radius * std::cos(a));
    tips.y.Add(cy + radius * std::sin(a));
    tips.z.Add(3.0);
  }
  return tips;
}

// A prepared-looking profile: n angles evenly over one revolution from `from` (by default just
// past the +Y axis), radius(angle) given by f.
template <class F>
RadialProfile ProfileOf(std::size_t n, F f, double from = kPi / 2 + 1e-3) {
  RadialProfile p;
  for (std::size_t i = 0; i < n; ++i) {
    const double a = from + kTwoPi * static_cast<double>(i) / static_cast<double>(n);
    p.angles.Add(a);
    p.radii.Add(f(a));
  }
  return p;
}

// Two lists of the same length, element by element within `tolerance`.
inline void ExpectNear(const CMaDoubleArray& got, const CMaDoubleArray& expected,
                       double tolerance) {
  EXPECT_THAT(got.Values(), testing::Pointwise(testing::DoubleNear(tolerance), expected.Values()));
}

inline CMaDoubleArray Array(std::vector<double> values) {
  CMaDoubleArray a;
  a.Values() = std::move(values);
  return a;
}

}  // namespace ombrixdc
