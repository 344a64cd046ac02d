#pragma once
// The points a circle scan delivers. The tip is commanded on the path circle about the scan's
// centre in the XY plane of the feature frame, one buffered point per buffer pitch of path
// length, over one revolution plus the overtravel, from the start angle with increasing angle
// (direction 0) or decreasing angle (direction 1). What the machine reads at each point is the
// tip touching the real feature there, displaced by the machine's dynamic error and noise.
#include <cstdint>

#include "platform/trivell/geometry.h"
#include "platform/vexa/simulated_machine.h"

namespace vexa_sim {

struct ScanSample {
  CMaPoint tip;
  CMaPoint deflection;  // a, b, c
};

class CircleScanPath {
 public:
  // 0 when the request describes a scan this controller can make of that feature, else the
  // error code.
  static LONG Check(const CircleScanRequest& request, const FeatureModel& feature);

  // The request must have passed Check with the same feature.
  CircleScanPath(const CircleScanRequest& request, const FeatureModel& feature,
                 const DynamicsModel& dynamics);

  int32_t PointCount() const { return count_; }
  // Angle of point `index` about the centre, in degrees from +x (not reduced to a revolution).
  double AngleOf(int32_t index) const;
  // The reading at point `index`; radialNoise is added along the radius.
  ScanSample Sample(int32_t index, double radialNoise = 0.0) const;

 private:
  CircleScanRequest request_;
  FeatureModel feature_;
  DynamicsModel dynamics_;
  int32_t count_ = 0;
  double stepDegrees_ = 0.0;  // signed: the direction of travel
};

}  // namespace vexa_sim
