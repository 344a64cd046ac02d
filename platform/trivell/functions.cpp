// Scalar helpers of the geometry library: hypotenuse, angle from cosine and sine, unit
// conversion and tolerance comparison.
#include <cmath>

#include "platform/trivell/geometry.h"

double MaPythag(double a, double b) {
  return std::hypot(a, b);
}

double MaArcCosSin(double c, double s) {
  // Profiles are unwrapped on the assumption that every angle lies in [0, 2*pi); a NaN
  // (a point at the centre divided by its zero radius) is given angle 0 rather than
  // breaking that assumption.
  if (std::isnan(c) || std::isnan(s)) {
    return 0.0;
  }
  constexpr double kTwoPi = 2.0 * MA_PI;
  // Adding +0.0 turns the -0.0 that atan2 gives for a sine of -0.0 into +0.0, so the
  // +X axis always maps to 0 and never to 2*pi.
  double theta = std::atan2(s, c) + 0.0;
  if (theta < 0.0) {
    theta += kTwoPi;
    // A tiny negative angle rounds up to 2*pi; keep it just below, in the upper half turn
    // where its sine says it belongs.
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
