// Points, vectors and point arrays.
#include <algorithm>
#include <cmath>

#include "platform/trivell/geometry.h"

namespace {

EMaBoolean ToBoolean(bool value) {
  return value ? MA_TRUE : MA_FALSE;
}

// Largest absolute component: dividing by it keeps products of components far from overflow
// and underflow whatever the vector's length.
double MaxAbs(const CMaVector& v) {
  return std::max({std::fabs(v[0]), std::fabs(v[1]), std::fabs(v[2])});
}

CMaVector Scaled(CMaVector v, double factor) {
  return v *= factor;
}

}  // namespace

void CMaPoint::GetData(double& x, double& y, double& z) const {
  x = x_;
  y = y_;
  z = z_;
}

CMaPoint& CMaPoint::operator+=(const CMaPoint& o) {
  x_ += o.x_;
  y_ += o.y_;
  z_ += o.z_;
  return *this;
}

CMaPoint& CMaPoint::operator-=(const CMaPoint& o) {
  x_ -= o.x_;
  y_ -= o.y_;
  z_ -= o.z_;
  return *this;
}

CMaPoint::operator CMaVector() const {
  return {x_, y_, z_};
}

CMaVector CMaPoint::To3DVector() const {
  return {x_, y_, z_};
}

double CMaPoint::DistanceTo(const CMaPoint& o) const {
  return std::hypot(x_ - o.x_, y_ - o.y_, z_ - o.z_);
}

EMaBoolean CMaPoint::IsEqual(const CMaPoint& o, double tolerance) const {
  return ToBoolean(DistanceTo(o) <= tolerance);
}

EMaBoolean CMaPoint::IsZero(double tolerance) const {
  return ToBoolean(std::hypot(x_, y_, z_) <= tolerance);
}

double CMaVector::operator*(const CMaVector& o) const {
  return v_[0] * o.v_[0] + v_[1] * o.v_[1] + v_[2] * o.v_[2];
}

CMaVector& CMaVector::operator*=(double factor) {
  for (double& c : v_) {
    c *= factor;
  }
  return *this;
}

double CMaVector::Length() const {
  return std::hypot(v_[0], v_[1], v_[2]);
}

EMaBoolean CMaVector::Normalise() {
  const double length = Length();
  if (!(length > 0.0) || !std::isfinite(length)) {
    return MA_FALSE;
  }
  for (double& c : v_) {
    c /= length;
  }
  return MA_TRUE;
}

double CMaVector::AngleWith(const CMaVector& other) const {
  const double m1 = MaxAbs(*this);
  const double m2 = MaxAbs(other);
  if (m1 == 0.0 || m2 == 0.0) {
    return 0.0;
  }
  const CMaVector a = Scaled(*this, 1.0 / m1);
  const CMaVector b = Scaled(other, 1.0 / m2);
  // atan2 of |a x b| and a.b keeps full precision near 0 and 180 degrees, where acos of the
  // normalised dot product loses it.
  return MaRadianToDegree(std::atan2(CrossProduct(a, b).Length(), a * b));
}

double CMaVector::AngleWith(const CMaVector& other, const CMaVector& axis) const {
  const double m1 = MaxAbs(*this);
  const double m2 = MaxAbs(other);
  CMaVector n = axis;
  if (m1 == 0.0 || m2 == 0.0 || n.Normalise() == MA_FALSE) {
    return 0.0;
  }
  // Project both vectors onto the plane normal to the axis; the sign of (a x b).n then says
  // which way round the axis the rotation from a to b goes.
  CMaVector a = Scaled(*this, 1.0 / m1);
  CMaVector b = Scaled(other, 1.0 / m2);
  a = a - Scaled(n, a * n);
  b = b - Scaled(n, b * n);
  const double sine = CrossProduct(a, b) * n;
  const double cosine = a * b;
  if (sine == 0.0 && cosine == 0.0) {
    return 0.0;  // one of the vectors lies along the axis
  }
  const double degrees = MaRadianToDegree(std::atan2(sine, cosine));
  return degrees <= -180.0 ? 180.0 : degrees;
}

CMaVector operator-(const CMaVector& a, const CMaVector& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

CMaVector CrossProduct(const CMaVector& a, const CMaVector& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

CMaDoubleArray CMaPointArray::GetDataX() const {
  CMaDoubleArray xs(GetSize());
  for (std::size_t i = 0; i < GetSize(); ++i) {
    xs[i] = (*this)[i].x();
  }
  return xs;
}

CMaDoubleArray CMaPointArray::GetDataY() const {
  CMaDoubleArray ys(GetSize());
  for (std::size_t i = 0; i < GetSize(); ++i) {
    ys[i] = (*this)[i].y();
  }
  return ys;
}
