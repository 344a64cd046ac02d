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

bool IsBoss(const CircleScanRequest& request) {
  return request.boreOrBoss == 1;
}

// The feature the client believes it scans: the path circle widened by the tip for a bore,
// narrowed for a boss.
double NominalRadius(const CircleScanRequest& request) {
  const double tipRadius = request.tipDiameter / 2.0;
  return request.pathDiameter / 2.0 + (IsBoss(request) ? -tipRadius : tipRadius);
}

}  // namespace

LONG CircleScanPath::Check(const CircleScanRequest& request, const FeatureModel& feature) {
  const bool numbersFinite = Finite(request.pathDiameter) && Finite(request.bufferPitch) &&
                             Finite(request.speed) && Finite(request.startAngle) &&
                             Finite(request.overtravel) && Finite(request.deflection) &&
                             Finite(request.tipDiameter) && Finite(request.centre.x()) &&
                             Finite(request.centre.y()) && Finite(request.centre.z());
  if (!numbersFinite || !(request.pathDiameter > 0.0) || !(request.bufferPitch > 0.0) ||
      !(request.speed > 0.0) || !(SweepDegrees(request) > 0.0) || !(request.tipDiameter >= 0.0)) {
    return kErrorIllegalScanParameter;
  }
  if (request.scanDirection > 1 || request.boreOrBoss > 1) {
    return kErrorIllegalScanParameter;
  }
  // The scan runs in the XY plane of the feature frame only.
  const CMaPoint& axis = request.axis;
  if (axis.x() != 0.0 || axis.y() != 0.0 || !(axis.z() > 0.0)) {
    return kErrorIllegalScanParameter;
  }
  if (!(PointsAlongPath(request) <= kMaxScanPoints)) {
    return kErrorIllegalScanParameter;
  }
  // The real surface must stay clear of the centre, and so must the tip centre that runs a
  // tip radius inside a bore: a path narrower than the tip cannot go round a boss.
  const double margin = LargestSurfaceDeviation(feature);
  const double radius = NominalRadius(request);
  const double tipCentreRadius = IsBoss(request) ? radius : radius - request.tipDiameter / 2.0;
  if (!(radius - margin > 0.0) || !(tipCentreRadius - margin > 0.0)) {
    return kErrorIllegalScanParameter;
  }
  return 0;
}

CircleScanPath::CircleScanPath(const CircleScanRequest& request, const FeatureModel& feature,
                               const DynamicsModel& dynamics)
    : request_(request),
      feature_(feature),
      dynamics_(dynamics),
      count_(static_cast<int32_t>(PointsAlongPath(request))) {
  const double stepRadians = request.bufferPitch / (request.pathDiameter / 2.0);
  // Direction 0 travels with increasing angle about the feature's +z axis, direction 1 with
  // decreasing angle; the circle data preparation relies on this order.
  stepDegrees_ = MaRadianToDegree(stepRadians) * (request.scanDirection == 0 ? 1.0 : -1.0);
}

double CircleScanPath::AngleOf(int32_t index) const {
  return request_.startAngle + stepDegrees_ * index;
}

ScanSample CircleScanPath::Sample(int32_t index, double radialNoise) const {
  const double angle = MaDegreeToRadian(AngleOf(index));
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  ScanMotion motion;
  motion.speed = request_.speed;
  motion.pathRadius = request_.pathDiameter / 2.0;
  motion.theta = angle;
  motion.pathLength = request_.bufferPitch * index;
  // The dynamic error pushes the reading into the material: outwards in a bore, inwards on a
  // boss. The noise has no preferred side.
  const double intoMaterial = IsBoss(request_) ? -1.0 : 1.0;
  const double radialError = intoMaterial * DynamicRadialError(dynamics_, motion) + radialNoise;
  ScanSample sample;
  sample.tip = TipOnSurface(feature_, request_.centre, NominalRadius(request_),
                            request_.tipDiameter / 2.0, IsBoss(request_), angle) +
               CMaPoint(radialError * c, radialError * s, 0.0);
  // The stylus is deflected towards the surface it is pressed against: outwards in a bore,
  // inwards on a boss.
  const double deflection = intoMaterial * request_.deflection;
  sample.deflection = CMaPoint(deflection * c, deflection * s, 0.0);
  return sample;
}

}  // namespace vexa_sim
