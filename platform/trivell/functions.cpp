// Scalar helpers of the geometry library: hypotenuse, angle from cosine and sine, unit
// conversion and tolerance comparison.
#include <algorithm>
#include <cmath>

#include "platform/trivell/geometry.h"

double MaPythag(double a, double b) {
  return std::hypot(a, b);
}

double MaArcCosSin(double c, double s) {
  // Profiles are unwrapped on the assumption that every angle lies in [0, 2*pi); a NaN
  // (a point at the centre divided by its zero radius) or no direction at all is given
  // angle 0 rather than breaking that assumption.
  if (std::isnan(c) || std::isnan(s) || (c == 0.0 && s == 0.0)) {
    return 0.0;
  }
  constexpr double kTwoPi = 2.0 * MA_PI;
  // The angle comes from the cosine; the sine only says which half turn it lies in. A cosine
  // a rounding beyond +-1 is held to it.
  double theta = std::acos(std::clamp(c, -1.0, 1.0));
  if (s < 0.0) {
    theta = kTwoPi - theta;
    // Just below the +X axis the angle rounds up to 2*pi; keep it just below, in the lower
    // half plane where its sine says it belongs.
    if (theta >= kTwoPi) {
      theta = std::nextafter(kTwoPi, 0.0);
    }
  }
  return theta;
}

double MaDegreeToRadian(double degrees) {
  return degrees * (MA_PI / 180.0);
}

double MaRadianToDegree(double radians) {
  return radians * (180.0 / MA_PI);
}

EMaBoolean MaIsEqual(double a, double b, double tolerance) {
  return std::fabs(a - b) <= tolerance ? MA_TRUE : MA_FALSE;
}
