#pragma once
// Points, vectors, matrices, growable arrays and the least-squares circle fit that the
// measuring code builds on. Angles passed in and out of vectors are in degrees.
#include <cstddef>
#include <cstdint>
#include <vector>

enum EMaBoolean : int32_t { MA_FALSE = 0, MA_TRUE = 1 };

inline constexpr double MA_PI = 3.14159265358979323846;

// Hypotenuse sqrt(a*a + b*b) without needless overflow.
double MaPythag(double a, double b);
// The angle theta in [0, 2*pi) with cos(theta) = c and sin(theta) = s, for a unit direction
// (c, s): acos(c), or 2*pi - acos(c) for a negative sine. A sine of -0.0 gives 0, never 2*pi;
// c = s = 0 or a NaN gives 0.
double MaArcCosSin(double c, double s);
double MaDegreeToRadian(double degrees);
double MaRadianToDegree(double radians);
inline double MaMin(double a, double b) {
  return a < b ? a : b;
}
inline double MaMax(double a, double b) {
  return a > b ? a : b;
}
template <class T>
void MaSwap(T& a, T& b) {
  T t = a;
  a = b;
  b = t;
}
// |a - b| <= tolerance.
EMaBoolean MaIsEqual(double a, double b, double tolerance);

class CMaVector;
class CMaMatrix;

class CMaPoint {
 public:
  CMaPoint() = default;
  CMaPoint(double x, double y, double z) : x_(x), y_(y), z_(z) {}

  double x() const { return x_; }
  double y() const { return y_; }
  double z() const { return z_; }
  double& x() { return x_; }
  double& y() { return y_; }
  double& z() { return z_; }
  void GetData(double& x, double& y, double& z) const;

  CMaPoint operator+(const CMaPoint& o) const { return {x_ + o.x_, y_ + o.y_, z_ + o.z_}; }
  CMaPoint operator-(const CMaPoint& o) const { return {x_ - o.x_, y_ - o.y_, z_ - o.z_}; }
  CMaPoint& operator+=(const CMaPoint& o);
  CMaPoint& operator-=(const CMaPoint& o);
  operator CMaVector() const;  // NOLINT: the library converts implicitly
  CMaVector To3DVector() const;

  double DistanceTo(const CMaPoint& o) const;
  // Equal when the distance between the points is not more than the tolerance.
  EMaBoolean IsEqual(const CMaPoint& o, double tolerance) const;
  // Zero when the distance from the origin is not more than the tolerance.
  EMaBoolean IsZero(double tolerance) const;

 private:
  double x_ = 0.0, y_ = 0.0, z_ = 0.0;
};

class CMaVector {
 public:
  CMaVector() = default;
  CMaVector(double x, double y, double z) : v_{x, y, z} {}

  double operator[](int i) const { return v_[i]; }
  double& operator[](int i) { return v_[i]; }

  double operator*(const CMaVector& o) const;  // dot product (CrossProduct gives a x b)
  // Row vector times a matrix of three rows: the first three columns of the product. Rows
  // or columns the matrix lacks count as zero.
  CMaVector operator*(const CMaMatrix& m) const;
  CMaVector& operator*=(double factor);
  double Length() const;
  // Scales to unit length; a zero vector stays zero and gives MA_FALSE.
  EMaBoolean Normalise();
  // Angle between the two vectors in degrees, 0 to 180; 0 when either is zero.
  double AngleWith(const CMaVector& other) const;
  // Signed angle in degrees, (-180, 180], of the rotation about `axis` (right-handed) that
  // takes this vector onto `other`, both projected onto the plane normal to the axis; 0 when
  // the axis or either vector is zero, or a vector lies along the axis.
  double AngleWith(const CMaVector& other, const CMaVector& axis) const;
  CMaPoint To3DPoint() const { return {v_[0], v_[1], v_[2]}; }

 private:
  double v_[3] = {0.0, 0.0, 0.0};
};

CMaVector operator-(const CMaVector& a, const CMaVector& b);
CMaVector CrossProduct(const CMaVector& a, const CMaVector& b);

class CMaMatrix {
 public:
  // A zero matrix; negative sizes count as 0.
  CMaMatrix(int rows, int columns);
  int Rows() const { return rows_; }
  int Columns() const { return columns_; }
  double operator()(int row, int column) const { return a_[row * columns_ + column]; }
  double& operator()(int row, int column) { return a_[row * columns_ + column]; }
  // Sets the first three columns of a row; a row outside the matrix is ignored.
  void SetRowVector(int row, const CMaVector& v);
  CMaMatrix Transpose() const;

 private:
  int rows_, columns_;
  std::vector<double> a_;
};

// A growable array with the library's interface over std::vector.
template <class T>
class CMaArray {
 public:
  CMaArray() = default;
  explicit CMaArray(std::size_t size) : a_(size) {}

  void SetSize(std::size_t size) { a_.resize(size); }
  std::size_t GetSize() const { return a_.size(); }
  bool IsEmpty() const { return a_.empty(); }
  T* GetData() { return a_.data(); }
  const T* GetData() const { return a_.data(); }
  T& operator[](std::size_t i) { return a_[i]; }
  const T& operator[](std::size_t i) const { return a_[i]; }
  std::size_t Add(const T& value) {
    a_.push_back(value);
    return a_.size() - 1;
  }
  // Removes `count` elements from `index` on.
  void Remove(std::size_t index, std::size_t count = 1) {
    a_.erase(a_.begin() + static_cast<std::ptrdiff_t>(index),
             a_.begin() + static_cast<std::ptrdiff_t>(index + count));
  }
  void RemoveAll() { a_.clear(); }
  void FreeExtra() { a_.shrink_to_fit(); }
  void Reserve(std::size_t n) { a_.reserve(n); }

  auto begin() { return a_.begin(); }
  auto end() { return a_.end(); }
  auto begin() const { return a_.begin(); }
  auto end() const { return a_.end(); }
  std::vector<T>& Values() { return a_; }
  const std::vector<T>& Values() const { return a_; }

 private:
  std::vector<T> a_;
};

using CMaDoubleArray = CMaArray<double>;

class CMaPointArray : public CMaArray<CMaPoint> {
 public:
  using CMaArray<CMaPoint>::CMaArray;
  CMaDoubleArray GetDataX() const;
  CMaDoubleArray GetDataY() const;
};

// Least-squares (Gaussian) circle in the XY plane: minimises the sum of squared orthogonal
// distances of the points from the circle. z of the centre is the mean z of the points.
class CMaCircle {
 public:
  explicit CMaCircle(double parameter = 1.0) : parameter_(parameter) {}

  // Fits the circle. Fewer than three distinct points, or points on one line, give MA_FALSE
  // with centre at the points' mean, radius 0 and form 0. Non-finite coordinates give
  // MA_FALSE likewise.
  EMaBoolean Fit(const CMaPointArray& points);
  // As above; `form` is the maximum minus the minimum radial deviation of the points about
  // the fitted circle and `rms` the root mean square radial deviation.
  EMaBoolean Fit(const CMaPointArray& points, double& form, double& rms);

  CMaPoint GetCentre() const { return centre_; }
  double GetRadius() const { return radius_; }
  double GetParameter() const { return parameter_; }

 private:
  double parameter_;
  CMaPoint centre_;
  double radius_ = 0.0;
};
