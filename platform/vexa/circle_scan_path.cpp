#include "platform/vexa/circle_scan_path.h"

#include <cmath>

namespace vexa_sim {
namespace {

bool Finite(double value) {
  return std::isfinite(value);
}

double SweepDegrees(const CircleScanRequest& request) {
  return 360.0 + request.overtravel;
}

// Number of whole pitches along the swept path, plus the point at the start.
double PointsAlongPath(const CircleScanRequest& request) {
  const double pathLength = SweepDegrees(request) / 360.0 * MA_PI * request.pathDiameter;
  // A hair of slack so that a sweep that is an exact multiple of the pitch keeps its end point.
  return std::floor(pathLength / request.bufferPitch * (1.0 + 1e-12)) + 1.0;
}

}  // namespace

LONG CircleScanPath::Check(const CircleScanRequest& request) {
  const bool numbersFinite =
      Finite(request.pathDiameter) && Finite(request.bufferPitch) && Finite(request.speed) &&
      Finite(request.startAngle) && Finite(request.overtravel) && Finite(request.deflection) &&
      Finite(request.centre.x()) && Finite(request.centre.y()) && Finite(request.centre.z());
  if (!numbersFinite || !(request.pathDiameter > 0.0) || !(request.bufferPitch > 0.0) ||
      !(request.speed > 0.0) || !(SweepDegrees(request) > 0.0)) {
    return kErrorIllegalScanParameter;
  }
  if (request.scanDirection > 1 || request.boreOrBoss > 1)
    return kErrorIllegalScanParameter;
  // The scan runs in the XY plane of the feature frame only.
  const CMaPoint& axis = request.axis;
  if (axis.x() != 0.0 || axis.y() != 0.0 || !(axis.z() > 0.0))
    return kErrorIllegalScanParameter;
  if (!(PointsAlongPath(request) <= kMaxScanPoints))
    return kErrorIllegalScanParameter;
  return 0;
}

CircleScanPath::CircleScanPath(const CircleScanRequest& request)
    : request_(request), count_(static_cast<int32_t>(PointsAlongPath(request))) {
  const double stepRadians = request.bufferPitch / (request.pathDiameter / 2.0);
  // Direction 0 travels with increasing angle about the feature's +z axis, direction 1 with
  // decreasing angle; the circle data preparation relies on this order.
  stepDegrees_ = MaRadianToDegree(stepRadians) * (request.scanDirection == 0 ? 1.0 : -1.0);
}

double CircleScanPath::AngleOf(int32_t index) const {
  return request_.startAngle + stepDegrees_ * index;
}

ScanSample CircleScanPath::Sample(int32_t index) const {
  const double angle = MaDegreeToRadian(AngleOf(index));
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double radius = request_.pathDiameter / 2.0;
  ScanSample sample;
  sample.tip = request_.centre + CMaPoint(radius * c, radius * s, 0.0);
  // The stylus is deflected towards the surface it is pressed against: outwards in a bore,
  // inwards on a boss.
  const double deflection = request_.boreOrBoss == 0 ? request_.deflection : -request_.deflection;
  sample.deflection = CMaPoint(deflection * c, deflection * s, 0.0);
  return sample;
}

}  // namespace vexa_sim
