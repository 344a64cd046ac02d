#pragma once
// The points a circle scan delivers: the tip centre running on the path circle about the
// scan's centre in the XY plane of the feature frame, one point per buffer pitch of path
// length, over one revolution plus the overtravel.
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
  // 0 when the request describes a scan this controller can make, else the error code.
  static LONG Check(const CircleScanRequest& request);

  // The request must have passed Check.
  explicit CircleScanPath(const CircleScanRequest& request);

  int32_t PointCount() const { return count_; }
  // Angle of point `index` about the centre, in degrees from +x (not reduced to a revolution).
  double AngleOf(int32_t index) const;
  ScanSample Sample(int32_t index) const;

 private:
  CircleScanRequest request_;
  int32_t count_ = 0;
  double stepDegrees_ = 0.0;  // signed: the direction of travel
};

}  // namespace vexa_sim
