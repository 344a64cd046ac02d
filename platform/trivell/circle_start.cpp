// Start of the circle fit: moments, the collinearity test and Taubin's algebraic circle.
#include <algorithm>
#include <cmath>

#include "platform/trivell/circle_fit_internal.h"

namespace trivell {

ScaledPoints::ScaledPoints(const CMaPointArray& points, const CMaPoint& mean, double scale)
    : points_(points),
      meanX_(mean.x()),
      meanY_(mean.y()),
      scale_(scale),
      reciprocal_(1.0 / scale),
      reciprocalExact_(std::isfinite(reciprocal_) && reciprocal_ * scale == 1.0) {}

std::size_t ScaledPoints::Block(std::size_t first, double* u, double* v) const {
  const std::size_t m = std::min(kBlock, Size() - first);
  const CMaPoint* p = points_.GetData() + first;
  if (reciprocalExact_) {
    for (std::size_t i = 0; i < m; ++i) {
      u[i] = (p[i].x() - meanX_) * reciprocal_;
      v[i] = (p[i].y() - meanY_) * reciprocal_;
    }
  } else {
    for (std::size_t i = 0; i < m; ++i) {
      u[i] = (p[i].x() - meanX_) / scale_;
      v[i] = (p[i].y() - meanY_) / scale_;
    }
  }
  return m;
}

Moments MomentsOf(const ScaledPoints& pts) {
  Moments m;
  pts.ForEachBlock([&m](const double* u, const double* v, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      const double z = u[i] * u[i] + v[i] * v[i];
      m.xx += u[i] * u[i];
      m.yy += v[i] * v[i];
      m.xy += u[i] * v[i];
      m.xz += u[i] * z;
      m.yz += v[i] * z;
      m.zz += z * z;
    }
    return true;
  });
  const double n = static_cast<double>(pts.Size());
  for (double* value : {&m.xx, &m.yy, &m.xy, &m.xz, &m.yz, &m.zz}) {
    *value /= n;
  }
  return m;
}

bool IsCollinear(const ScaledPoints& pts, const Moments& m, double tolerance) {
  // The only candidate line is the principal axis of the scatter.
  const double theta = 0.5 * std::atan2(2.0 * m.xy, m.xx - m.yy);
  const double c = std::cos(theta), s = std::sin(theta);
  return pts.ForEachBlock([&](const double* u, const double* v, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      if (std::fabs(c * v[i] - s * u[i]) > tolerance) {
        return false;
      }
    }
    return true;
  });
}

std::optional<Circle2> TaubinFit(const Moments& m) {
  const double mz = m.xx + m.yy;
  const double covXY = m.xx * m.yy - m.xy * m.xy;
  const double varZ = m.zz - mz * mz;
  const double a3 = 4.0 * mz;
  const double a2 = -3.0 * mz * mz - m.zz;
  const double a1 = varZ * mz + 4.0 * covXY * mz - m.xz * m.xz - m.yz * m.yz;
  const double a0 =
      m.xz * (m.xz * m.yy - m.yz * m.xy) + m.yz * (m.yz * m.xx - m.xz * m.xy) - varZ * covXY;
  // The wanted eigenvalue is the smallest root of the characteristic cubic; Newton's method
  // from zero approaches it monotonically.
  double x = 0.0, y = a0;
  for (int iter = 0; iter < 100; ++iter) {
    const double xNew = x - y / (a1 + x * (2.0 * a2 + 3.0 * a3 * x));
    if (xNew == x || !std::isfinite(xNew)) {
      break;
    }
    const double yNew = a0 + xNew * (a1 + xNew * (a2 + xNew * a3));
    if (std::fabs(yNew) >= std::fabs(y)) {
      break;
    }
    x = xNew;
    y = yNew;
  }
  const double det = 2.0 * (x * x - x * mz + covXY);
  Circle2 c;
  c.a = (m.xz * (m.yy - x) - m.yz * m.xy) / det;
  c.b = (m.yz * (m.xx - x) - m.xz * m.xy) / det;
  c.r = std::sqrt(c.a * c.a + c.b * c.b + mz);
  if (!std::isfinite(c.a) || !std::isfinite(c.b) || !std::isfinite(c.r)) {
    return std::nullopt;
  }
  return c;
}

Circle2 CentroidStart(const ScaledPoints& pts) {
  double sum = 0.0;
  pts.ForEachBlock([&sum](const double* u, const double* v, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      sum += std::hypot(u[i], v[i]);
    }
    return true;
  });
  return {0.0, 0.0, sum / static_cast<double>(pts.Size())};
}

}  // namespace trivell
