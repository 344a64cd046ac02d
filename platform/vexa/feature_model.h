#pragma once
// The circle feature the simulated machine scans. The scan command gives the nominal circle
// (where the client believes the feature is and how big); the real feature differs from it by
// a size error, a centre offset and a form made of lobes, all small, all in the feature frame.
#include <cstdint>
#include <vector>

#include "platform/trivell/geometry.h"

namespace vexa_sim {

// One undulation of the feature's form: amplitude * cos(undulations * theta + phase), where
// theta is the angle about the actual centre from the feature frame's +x axis.
struct FormLobe {
  int32_t undulations = 2;  // per revolution; 1 would be a centre offset, 0 a size error
  double amplitude = 0.0;   // mm
  double phase = 0.0;       // radians
  bool operator==(const FormLobe&) const = default;
};

// Lengths in the machine's unit (mm). The defaults are a ground bore or boss as a real shop
// floor makes it: a couple of microns oversize and off centre, with three- and five-lobe form.
struct FeatureModel {
  double sizeError = 0.002;  // added to the nominal radius
  // The actual centre relative to the commanded centre, in the feature frame's XY plane.
  double centreOffsetX = 0.003;
  double centreOffsetY = -0.002;
  std::vector<FormLobe> lobes{{3, 0.0015, 0.3}, {5, 0.0008, 1.1}};
  bool operator==(const FeatureModel&) const = default;
};

// Form deviation from round at angle theta (radians): sum over lobes of
// a_k * cos(k * theta + phi_k).
double FormDeviation(const FeatureModel& feature, double theta);

// Its derivative d/dtheta, which tilts the surface normal away from the radial direction.
double FormSlope(const FeatureModel& feature, double theta);

// The most the actual surface can lie from the nominal circle along a radius:
// |sizeError| + |offset| + sum |a_k|.
double LargestSurfaceDeviation(const FeatureModel& feature);

// The centre of a probe tip of radius tipRadius touching the actual surface at angle theta,
// in the feature frame, on the plane z = nominalCentre.z. The surface point is
// c + r(theta) (cos theta, sin theta) with r = nominalRadius + sizeError + form and
// c = nominalCentre + offset; the tip centre lies one tip radius from it along the surface
// normal, towards the inside of a bore or the outside of a boss.
CMaPoint TipOnSurface(const FeatureModel& feature, const CMaPoint& nominalCentre,
                      double nominalRadius, double tipRadius, bool boss, double theta);

}  // namespace vexa_sim
