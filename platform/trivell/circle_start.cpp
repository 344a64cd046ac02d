// Start of the circle fit: moments, the collinearity test and Taubin's algebraic circle.
#include <cmath>

#include "platform/trivell/circle_fit_internal.h"

namespace trivell {

ScaledPoints::ScaledPoints(const CMaPointArray& points, const CMaPoint& mean, double scale)
    : u_(points.GetSize()), v_(points.GetSize()) {
  // Multiplying by the reciprocal of a power of two rounds exactly as dividing does, as long
  // as the reciprocal itself is a double (not so for the smallest scales).
  const double reciprocal = 1.0 / scale;
  if (std::isfinite(reciprocal) && reciprocal * scale == 1.0) {
    for (std::size_t i = 0; i < points.GetSize(); ++i) {
      u_[i] = (points[i].x() - mean.x()) * reciprocal;
      v_[i] = (points[i].y() - mean.y()) * reciprocal;
    }
    return;
  }
  for (std::size_t i = 0; i < points.GetSize(); ++i) {
    u_[i] = (points[i].x() - mean.x()) / scale;
    v_[i] = (points[i].y() - mean.y()) / scale;
  }
}

Moments MomentsOf(const ScaledPoints& pts) {
  Moments m;
  for (std::size_t i = 0; i < pts.Size(); ++i) {
    const double u = pts.U(i), v = pts.V(i), z = u * u + v * v;
    m.xx += u * u;
    m.yy += v * v;
    m.xy += u * v;
    m.xz += u * z;
    m.yz += v * z;
    m.zz += z * z;
  }
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
  for (std::size_t i = 0; i < pts.Size(); ++i) {
    if (std::fabs(c * pts.V(i) - s * pts.U(i)) > tolerance) {
      return false;
    }
  }
  return true;
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
  for (std::size_t i = 0; i < pts.Size(); ++i) {
    sum += std::hypot(pts.U(i), pts.V(i));
  }
  return {0.0, 0.0, sum / static_cast<double>(pts.Size())};
}

}  // namespace trivell
