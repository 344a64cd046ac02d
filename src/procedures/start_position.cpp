#include "src/procedures/start_position.h"

#include <cmath>
#include <cstdio>

#include "src/procedures/run_limits.h"

namespace ombrixdc {

namespace {
// Start positions are measured from the +Y axis of the feature frame.
constexpr double kPlusYAxis = MA_PI / 2.0;
}  // namespace

double StartClearance(int32_t measuringUnit) {
  return InMeasuringUnit(kStartClearanceMm, measuringUnit);
}

StartPositionResult ComputeStartPosition(const StartPositionInput& input) {
  const double theta = MaDegreeToRadian(input.startAngleDegrees);
  const double a = input.clockwise ? kPlusYAxis - theta : kPlusYAxis + theta;
  const double clearance = input.tipRadius + StartClearance(input.measuringUnit);
  const double r = input.bore ? input.featureRadius - clearance : input.featureRadius + clearance;
  StartPositionResult start;
  start.point = CMaPoint(r * std::cos(a), r * std::sin(a), 0.0);
  // The tip's centre would lie beyond the bore's centre, |r| from it: the tip would start in
  // the material or too close to the wall to approach it.
  if (input.bore && r < 0.0) {
    const char* unit = input.measuringUnit == 1 ? "in" : "mm";
    char text[256];
    std::snprintf(text, sizeof text,
                  "the start position is not clear of the material: a bore of radius %g %s has "
                  "no room for a tip of radius %g %s and a clearance of %g %s",
                  input.featureRadius, unit, input.tipRadius, unit,
                  StartClearance(input.measuringUnit), unit);
    start.refusal = text;
  }
  return start;
}

}  // namespace ombrixdc
