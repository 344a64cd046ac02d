#pragma once
// Where a run starts: a point on the circle's radius through the start angle, clear of the
// material by the tip's radius and a fixed clearance. Coordinates are in the feature frame
// (the circle's centre is the origin) and in the measuring unit.
#include <cstdint>
#include <string>

#include "platform/trivell/geometry.h"

namespace ombrixdc {

// Clearance between the tip and the surface at the start position, in millimetres.
inline constexpr double kStartClearanceMm = 2.0;

struct StartPositionInput {
  double featureRadius = 0.0;
  double tipRadius = 0.0;
  double startAngleDegrees = 0.0;  // measured from the +Y axis, in the scan's direction
  bool bore = true;
  bool clockwise = true;
  int32_t measuringUnit = 0;  // 0 mm, 1 inches
};

struct [[nodiscard]] StartPositionResult {
  CMaPoint point;
  // Empty when the start is clear of the material; else why it is not.
  std::string refusal;
};

// The clearance in the measuring unit.
double StartClearance(int32_t measuringUnit);

// The start position, or the reason it would put the tip into the material: a bore must leave
// room for the tip and the clearance between its centre and its wall.
StartPositionResult ComputeStartPosition(const StartPositionInput& input);

}  // namespace ombrixdc
