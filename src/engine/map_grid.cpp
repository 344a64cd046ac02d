// The map grid, and the two ways a profile is put onto it.
#include "src/engine/map_grid.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "src/engine/angles.h"
#include "src/engine/circle_preparation.h"

namespace ombrixdc {

namespace {

DataSetResult Failed(ErrorNumber error) {
  DataSetResult result;
  result.error = error;
  return result;
}

bool StrictlyIncreasing(const CMaDoubleArray& angles) {
  for (std::size_t i = 1; i < angles.GetSize(); ++i) {
    if (!(angles[i - 1] < angles[i])) {
      return false;
    }
  }
  return true;
}

// Sum over the four nodes (in node order) of V[i] times each (theta - T[j]) / (T[i] - T[j]),
// j rising, multiplied in from the left: V[i] * q0 * q1 * q2. Rounded as the sum is written,
// so that the same scans always give the same map, to the last bit of every stored value.
double LagrangeCubic(const double (&t)[4], const double (&v)[4], double theta) {
  double value = 0.0;
  for (int i = 0; i < 4; ++i) {
    double term = v[i];
    for (int j = 0; j < 4; ++j) {
      if (j != i) {
        term *= (theta - t[j]) / (t[i] - t[j]);
      }
    }
    value += term;
  }
  return value;
}

// The profile's value at theta. `next` is the walk's position: the first sample whose angle
// is above the last interior theta; it only moves forward because the grid angles increase.
double Interpolate(const CMaDoubleArray& t, const CMaDoubleArray& v, double theta,
                   std::size_t& next) {
  const std::size_t n = t.GetSize();
  std::size_t nodes[4] = {0, 1, n - 2, n - 1};
  if (t[1] <= theta && theta < t[n - 2]) {
    // t[n - 2] > theta stops the walk at n - 2 at the latest; t[0] < t[1] <= theta keeps
    // it at 2 or more, so all four nodes lie inside the profile.
    while (t[next] <= theta) {
      ++next;
    }
    nodes[0] = next - 2;
    nodes[1] = next - 1;
    nodes[2] = next;
    nodes[3] = next + 1;
  }
  const double nodeAngles[4] = {t[nodes[0]], t[nodes[1]], t[nodes[2]], t[nodes[3]]};
  const double nodeValues[4] = {v[nodes[0]], v[nodes[1]], v[nodes[2]], v[nodes[3]]};
  return LagrangeCubic(nodeAngles, nodeValues, theta);
}

// Node k of a periodic function known at one revolution's angles, k counted on past either
// end of the array into the neighbouring revolutions.
struct PeriodicNode {
  double angle;
  double value;
};
PeriodicNode NodeAround(const CMaDoubleArray& t, const CMaDoubleArray& v, std::ptrdiff_t k) {
  const auto n = static_cast<std::ptrdiff_t>(t.GetSize());
  const std::ptrdiff_t turns = k >= 0 ? k / n : -((n - 1 - k) / n);
  const auto index = static_cast<std::size_t>(k - turns * n);
  return {t[index] + static_cast<double>(turns) * kTwoPi, v[index]};
}

bool UsablePeriodicNodes(const CMaDoubleArray& t, const CMaDoubleArray& v) {
  const std::size_t n = t.GetSize();
  return n >= 4 && v.GetSize() == n && StrictlyIncreasing(t) && std::isfinite(t[0]) &&
         std::isfinite(t[n - 1]) && t[n - 1] - t[0] < kTwoPi;
}

}  // namespace

bool SameGridAngles(const CMaDoubleArray& a, const CMaDoubleArray& b) {
  if (a.GetSize() != b.GetSize()) {
    return false;
  }
  for (std::size_t i = 0; i < a.GetSize(); ++i) {
    if (!(std::abs(a[i] - b[i]) <= kGridAngleAgreement)) {
      return false;
    }
  }
  return true;
}

std::optional<CMaDoubleArray> MapGridAngles(double mapPitch, double featureRadius,
                                            double startAngle) {
  const double step = mapPitch / featureRadius;
  if (!(step > 0.0) || !std::isfinite(step) || !std::isfinite(startAngle)) {
    return std::nullopt;
  }
  const double steps = kTwoPi / step;
  if (!(steps < static_cast<double>(kMaxMapGridAngles))) {
    return std::nullopt;
  }
  // Sized for floor(2*pi / s) + 1 angles, then cut to the number produced.
  const std::size_t capacity = static_cast<std::size_t>(steps) + 1;
  CMaDoubleArray angles(capacity);
  const double end = startAngle + kTwoPi;
  std::size_t k = 0;
  for (double theta = startAngle + step; theta < end && k < capacity; theta += step) {
    angles[k++] = theta;
  }
  if (k == 0) {
    return std::nullopt;  // a step of a whole revolution or more
  }
  angles.SetSize(k);
  return angles;
}

DataSetResult ResampleToMapGrid(double mapPitch, double featureRadius, double startAngle,
                                const CMaDoubleArray& radii, const CMaDoubleArray& angles) {
  std::optional<CMaDoubleArray> grid = MapGridAngles(mapPitch, featureRadius, startAngle);
  if (!grid) {
    return Failed(ErrorNumber::Settings);
  }
  if (radii.GetSize() < kMinProfileSamples || angles.GetSize() != radii.GetSize() ||
      !StrictlyIncreasing(angles)) {
    return Failed(kUnusableScan);
  }
  DataSetResult result;
  result.data.angles = std::move(*grid);
  const std::size_t count = result.data.angles.GetSize();
  result.data.radii.SetSize(count);
  std::size_t next = 0;
  for (std::size_t k = 0; k < count; ++k) {
    result.data.radii[k] = Interpolate(angles, radii, result.data.angles[k], next);
  }
  return result;
}

DataSetResult FitToMapGrid(double mapPitch, double featureRadius, double startAngle,
                           const CMaDoubleArray& radii, const CMaDoubleArray& angles) {
  std::optional<CMaDoubleArray> grid = MapGridAngles(mapPitch, featureRadius, startAngle);
  if (!grid) {
    return Failed(ErrorNumber::Settings);
  }
  if (angles.GetSize() != radii.GetSize()) {
    return Failed(kUnusableScan);
  }
  CMaCircle circle(1.0);
  if (circle.Fit(PointsAboutOrigin(radii, angles)) != MA_TRUE) {
    return Failed(kUnusableScan);
  }
  DataSetResult result;
  result.data.angles = std::move(*grid);
  result.data.radii.SetSize(result.data.angles.GetSize());
  for (double& radius : result.data.radii) {
    radius = circle.GetRadius();
  }
  return result;
}

std::optional<CMaDoubleArray> InterpolatePeriodic(const CMaDoubleArray& nodeAngles,
                                                  const CMaDoubleArray& nodeValues,
                                                  const CMaDoubleArray& at) {
  if (!UsablePeriodicNodes(nodeAngles, nodeValues)) {
    return std::nullopt;
  }
  const double first = nodeAngles[0];
  CMaDoubleArray values(at.GetSize());
  for (std::size_t i = 0; i < at.GetSize(); ++i) {
    if (!std::isfinite(at[i])) {
      return std::nullopt;
    }
    // The same angle in the nodes' revolution [first, first + 2*pi).
    double theta = first + std::fmod(at[i] - first, kTwoPi);
    if (theta < first) {
      theta += kTwoPi;
    }
    // The last node at or before theta, then one before it and two after it.
    const auto j =
        std::upper_bound(nodeAngles.begin(), nodeAngles.end(), theta) - nodeAngles.begin() - 1;
    double t[4];
    double v[4];
    for (std::ptrdiff_t k = 0; k < 4; ++k) {
      const PeriodicNode node = NodeAround(nodeAngles, nodeValues, j - 1 + k);
      t[k] = node.angle;
      v[k] = node.value;
    }
    values[i] = LagrangeCubic(t, v, theta);
  }
  return values;
}

}  // namespace ombrixdc
