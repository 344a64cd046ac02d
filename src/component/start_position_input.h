#pragma once
// The component's feature, tip, settings and unit as the start position is computed from them.
#include "src/component/circle_dc_component.h"
#include "src/procedures/start_position.h"

namespace ombrixdc {

StartPositionInput StartPositionInputOf(const CircleDCComponent& component);

}  // namespace ombrixdc
