#include "src/component/start_position_input.h"

namespace ombrixdc {

StartPositionInput StartPositionInputOf(const CircleDCComponent& component) {
  StartPositionInput input;
  input.featureRadius = component.FeatureRadius.Get();
  input.tipRadius = component.TipRadius.Get();
  input.startAngleDegrees = component.DCStartAngle.Get();
  input.bore = component.BoreOrBoss.Get() == E_OMBRIX_DC_CIRCLE_BORE;
  input.clockwise = component.ScanDirection.Get() == E_OMBRIX_DC_CIRCLE_CLOCKWISE_SCAN;
  input.measuringUnit = component.MeasuringUnit.Get();
  return input;
}

}  // namespace ombrixdc
