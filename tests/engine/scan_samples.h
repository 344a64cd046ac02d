#pragma once
// Synthetic circle scans for the engine tests.
#include <cmath>
#include <cstddef>

#include "platform/trivell/geometry.h"
#include "src/engine/profile.h"

namespace ombrixdc {

namespace engine_test {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;

struct TipLists {
  CMaDoubleArray x, y, z;
};

// n tip centres on a circle about (cx, cy), angles evenly from `from` to `to` (inclusive),
// z = 3.
inline TipLists CircleTips(double cx, double cy, double radius, double from, double to,
                           std::size_t n) {
  TipLists tips;
  for (std::size_t i = 0; i < n; ++i) {
    const double a = from + (to - from) * static_cast<double>(i) / static_cast<double>(n - 1);
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

}  // namespace engine_test

}  // namespace ombrixdc
