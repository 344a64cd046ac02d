#include "platform/vexa/feature_model.h"

#include <cmath>

namespace vexa_sim {

double FormDeviation(const FeatureModel& feature, double theta) {
  double deviation = 0.0;
  for (const FormLobe& lobe : feature.lobes) {
    deviation += lobe.amplitude * std::cos(lobe.undulations * theta + lobe.phase);
  }
  return deviation;
}

double FormSlope(const FeatureModel& feature, double theta) {
  double slope = 0.0;
  for (const FormLobe& lobe : feature.lobes) {
    slope -= lobe.amplitude * lobe.undulations * std::sin(lobe.undulations * theta + lobe.phase);
  }
  return slope;
}

double LargestSurfaceDeviation(const FeatureModel& feature) {
  double largest =
      std::abs(feature.sizeError) + MaPythag(feature.centreOffsetX, feature.centreOffsetY);
  for (const FormLobe& lobe : feature.lobes) {
    largest += std::abs(lobe.amplitude);
  }
  return largest;
}

CMaPoint TipOnSurface(const FeatureModel& feature, const CMaPoint& nominalCentre,
                      double nominalRadius, double tipRadius, bool boss, double theta) {
  const double c = std::cos(theta);
  const double s = std::sin(theta);
  const double r = nominalRadius + feature.sizeError + FormDeviation(feature, theta);
  const double dr = FormSlope(feature, theta);
  // Outward normal of the polar curve r(theta): (r e_r - r' e_theta) / sqrt(r^2 + r'^2), with
  // e_r = (c, s) and e_theta = (-s, c).
  const double length = MaPythag(r, dr);
  const double nx = (r * c + dr * s) / length;
  const double ny = (r * s - dr * c) / length;
  const double along = boss ? tipRadius : -tipRadius;
  return {nominalCentre.x() + feature.centreOffsetX + r * c + along * nx,
          nominalCentre.y() + feature.centreOffsetY + r * s + along * ny, nominalCentre.z()};
}

}  // namespace vexa_sim
