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

// The finite points' mean and count, and the bounding box of their XY coordinates.
struct Spread {
  CMaPoint mean;
  std::size_t count = 0;
  double lowX = 0.0, highX = 0.0, lowY = 0.0, highY = 0.0;
};

// Mean of the points with finite coordinates (the origin when there are none), how many there
// are and their XY bounding box. Should a sum overflow, it is taken again over x/n, which
// stays finite for any finite input.
Spread SpreadOf(const CMaPointArray& points) {
  Spread spread;
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  spread.lowX = spread.lowY = kInfinity;
  spread.highX = spread.highY = -kInfinity;
  const auto sum = [&](double weight) {
    double x = 0.0, y = 0.0, z = 0.0;
    spread.count = 0;
    for (const CMaPoint& p : points) {
      if (IsFinite(p)) {
        x += p.x() * weight;
        y += p.y() * weight;
        z += p.z() * weight;
        spread.lowX = std::min(spread.lowX, p.x());
        spread.highX = std::max(spread.highX, p.x());
        spread.lowY = std::min(spread.lowY, p.y());
        spread.highY = std::max(spread.highY, p.y());
        ++spread.count;
      }
    }
    return CMaPoint(x, y, z);
  };
  const CMaPoint total = sum(1.0);
  if (spread.count == 0) {
    return spread;
  }
  const double n = static_cast<double>(spread.count);
  spread.mean =
      IsFinite(total) ? CMaPoint(total.x() / n, total.y() / n, total.z() / n) : sum(1.0 / n);
  return spread;
}

// Power of two not less than the largest XY offset of a point from the mean; 0 when all points
// coincide in XY, infinite when the offsets overflow. Rounding keeps order, so the largest
// offset is the offset of the box's farthest edge.
double ScaleOf(const Spread& s) {
  const double largest = std::max(
      {s.highX - s.mean.x(), s.mean.x() - s.lowX, s.highY - s.mean.y(), s.mean.y() - s.lowY, 0.0});
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

// Radial deviations of the points about circle c (scaled units): their range and the root of
// their mean square.
void Deviations(const ScaledPoints& pts, const Circle2& c, double& range, double& rootMeanSquare) {
  double lowest = std::numeric_limits<double>::infinity();
  double highest = -lowest, sumSquares = 0.0;
  pts.ForEachBlock([&](const double* u, const double* v, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      const double d = std::hypot(u[i] - c.a, v[i] - c.b) - c.r;
      lowest = std::min(lowest, d);
      highest = std::max(highest, d);
      sumSquares += d * d;
    }
    return true;
  });
  range = highest - lowest;
  rootMeanSquare = std::sqrt(sumSquares / static_cast<double>(pts.Size()));
}

// True when the deviations about c, brought back to the points' units, are surely finite:
// every |u|, |v| <= 1, so each deviation lies in [-r, 2 + |a| + |b|].
bool DeviationsSurelyFinite(const ScaledPoints& pts, const Circle2& c, double scale) {
  const double bound = 2.0 + std::fabs(c.a) + std::fabs(c.b) + c.r;
  return std::isfinite(2.0 * bound * scale) &&
         std::isfinite(2.0 * bound * bound * static_cast<double>(pts.Size()));
}

struct FittedCircle {
  CMaPoint centre;
  double radius = 0.0, form = 0.0, rms = 0.0;
};

// The fit; empty when the points carry no circle. Form and rms are computed only when
// `withDeviations` asks for them or they might not be finite, which fails the fit.
std::optional<FittedCircle> FitCircle(const CMaPointArray& points, const Spread& spread,
                                      bool withDeviations) {
  if (points.GetSize() < 3 || spread.count != points.GetSize()) {
    return std::nullopt;
  }
  const CMaPoint& mean = spread.mean;
  const double scale = ScaleOf(spread);
  if (scale == 0.0 || !std::isfinite(scale)) {
    return std::nullopt;
  }
  const ScaledPoints pts(points, mean, scale);
  const std::optional<Circle2> c = FitScaled(pts, mean, scale);
  if (!c) {
    return std::nullopt;
  }
  FittedCircle fit;
  fit.centre = CMaPoint(mean.x() + c->a * scale, mean.y() + c->b * scale, mean.z());
  fit.radius = c->r * scale;
  if (withDeviations || !DeviationsSurelyFinite(pts, *c, scale)) {
    Deviations(pts, *c, fit.form, fit.rms);
    fit.form *= scale;
    fit.rms *= scale;
  }
  // A circle too large for doubles (points spread near the largest double) is no result.
  if (!IsFinite(fit.centre) || !std::isfinite(fit.radius) || !std::isfinite(fit.form) ||
      !std::isfinite(fit.rms)) {
    return std::nullopt;
  }
  return fit;
}

}  // namespace

EMaBoolean CMaCircle::Fit(const CMaPointArray& points) {
  const Spread spread = SpreadOf(points);
  const std::optional<FittedCircle> fit = FitCircle(points, spread, false);
  centre_ = fit ? fit->centre : spread.mean;
  radius_ = fit ? fit->radius : 0.0;
  return fit ? MA_TRUE : MA_FALSE;
}

EMaBoolean CMaCircle::Fit(const CMaPointArray& points, double& form, double& rms) {
  const Spread spread = SpreadOf(points);
  const std::optional<FittedCircle> fit = FitCircle(points, spread, true);
  centre_ = fit ? fit->centre : spread.mean;
  radius_ = fit ? fit->radius : 0.0;
  form = fit ? fit->form : 0.0;
  rms = fit ? fit->rms : 0.0;
  return fit ? MA_TRUE : MA_FALSE;
}
