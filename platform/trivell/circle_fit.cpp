// CMaCircle: screens the points, fits the circle and measures the points' radial deviations.
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "platform/trivell/circle_fit_internal.h"

using trivell::Circle2;
using trivell::ScaledPoints;

namespace {

bool IsFinite(const CMaPoint& p) {
  return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

// Mean of the points with finite coordinates (the origin when there are none). Should a sum
// overflow, it is taken again over x/n, which stays finite for any finite input.
CMaPoint FiniteMean(const CMaPointArray& points) {
  std::size_t count = 0;
  const auto sum = [&](double weight) {
    double x = 0.0, y = 0.0, z = 0.0;
    count = 0;
    for (const CMaPoint& p : points) {
      if (IsFinite(p)) {
        x += p.x() * weight;
        y += p.y() * weight;
        z += p.z() * weight;
        ++count;
      }
    }
    return CMaPoint(x, y, z);
  };
  const CMaPoint total = sum(1.0);
  if (count == 0) {
    return CMaPoint();
  }
  const double n = static_cast<double>(count);
  if (IsFinite(total)) {
    return CMaPoint(total.x() / n, total.y() / n, total.z() / n);
  }
  return sum(1.0 / n);
}

// Power of two not less than the largest XY offset from the mean; 0 when all points coincide
// in XY, infinite when the offsets overflow.
double ScaleAbout(const CMaPointArray& points, const CMaPoint& mean) {
  double largest = 0.0;
  for (const CMaPoint& p : points) {
    largest = std::max({largest, std::fabs(p.x() - mean.x()), std::fabs(p.y() - mean.y())});
  }
  if (largest == 0.0 || !std::isfinite(largest)) {
    return largest;
  }
  int exponent = 0;
  std::frexp(largest, &exponent);
  return std::ldexp(1.0, exponent);
}

// Distance within which points count as lying on one line, in scaled units: a few hundred
// roundings of the largest coordinate, since the points can be no more exact than that.
double CollinearTolerance(const CMaPoint& mean, double scale) {
  const double offset = std::max(std::fabs(mean.x()), std::fabs(mean.y())) / scale;
  return 1e3 * std::numeric_limits<double>::epsilon() * (2.0 + offset);
}

// The fitted circle in scaled coordinates; empty when the points carry no circle.
std::optional<Circle2> FitScaled(const ScaledPoints& pts, const CMaPoint& mean, double scale) {
  const trivell::Moments m = trivell::MomentsOf(pts);
  if (trivell::IsCollinear(pts, m, CollinearTolerance(mean, scale))) {
    return std::nullopt;
  }
  std::optional<Circle2> start = trivell::TaubinFit(m);
  if (!start) {
    start = trivell::CentroidStart(pts);
  }
  const Circle2 c = trivell::RefineGeometric(pts, *start);
  if (!std::isfinite(c.a) || !std::isfinite(c.b) || !std::isfinite(c.r) || !(c.r > 0.0)) {
    return std::nullopt;
  }
  return c;
}

}  // namespace

EMaBoolean CMaCircle::Fit(const CMaPointArray& points) {
  double form = 0.0, rms = 0.0;
  return Fit(points, form, rms);
}

EMaBoolean CMaCircle::Fit(const CMaPointArray& points, double& form, double& rms) {
  const CMaPoint mean = FiniteMean(points);
  centre_ = mean;
  radius_ = 0.0;
  form = 0.0;
  rms = 0.0;
  if (points.GetSize() < 3 || !std::all_of(points.begin(), points.end(), IsFinite)) {
    return MA_FALSE;
  }
  const double scale = ScaleAbout(points, mean);
  if (scale == 0.0 || !std::isfinite(scale)) {
    return MA_FALSE;
  }
  const ScaledPoints pts(points, mean, scale);
  const std::optional<Circle2> c = FitScaled(pts, mean, scale);
  if (!c) {
    return MA_FALSE;
  }
  // Radial deviations in scaled units, brought back to the points' units at the end.
  double lowest = std::numeric_limits<double>::infinity();
  double highest = -lowest, sumSquares = 0.0;
  for (std::size_t i = 0; i < pts.Size(); ++i) {
    const double d = std::hypot(pts.U(i) - c->a, pts.V(i) - c->b) - c->r;
    lowest = std::min(lowest, d);
    highest = std::max(highest, d);
    sumSquares += d * d;
  }
  const CMaPoint centre(mean.x() + c->a * scale, mean.y() + c->b * scale, mean.z());
  const double radius = c->r * scale;
  const double fitForm = (highest - lowest) * scale;
  const double fitRms = std::sqrt(sumSquares / static_cast<double>(pts.Size())) * scale;
  // A circle too large for doubles (points spread near the largest double) is no result.
  if (!IsFinite(centre) || !std::isfinite(radius) || !std::isfinite(fitForm) ||
      !std::isfinite(fitRms)) {
    return MA_FALSE;
  }
  centre_ = centre;
  radius_ = radius;
  form = fitForm;
  rms = fitRms;
  return MA_TRUE;
}
