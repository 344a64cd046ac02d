// The start position: on the radius through the start angle, the tip's radius and a clearance
// of 2 mm (in the machine's unit) off the surface, and refused where that clearance would
// put the tip into the material. (Which way round from +Y: the component's start position test
// and the command line's run of the example.)
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "src/procedures/start_position.h"

namespace ombrixdc {

TEST(StartPosition, ClearOfTheMaterialInTheMachinesUnitOrRefused) {
  // Feature radius, tip radius, bore, unit (1 inches); distance from the centre, refused.
  const std::tuple<double, double, bool, int32_t, double, bool> cases[] = {
      {3.0, 1.0, true, 0, 0.0, false},  // just room: the tip at the centre
      {1.2, 0.5, true, 0, 1.3, true},   // the start would lie 1.3 mm beyond the centre
      {0.5, 0.04, true, 1, 0.5 - 0.04 - 2.0 / 25.4, false},
      {0.05, 0.04, false, 1, 0.09 + 2.0 / 25.4, false},  // a boss: always outside
  };
  for (const auto& [feature, tip, bore, unit, distance, refused] : cases) {
    const StartPositionResult start = ComputeStartPosition({feature, tip, 45.0, bore, true, unit});
    EXPECT_NEAR(std::hypot(start.point.x(), start.point.y()), distance, 1e-12) << feature;
    EXPECT_EQ(!start.refusal.empty(), refused) << feature << ": " << start.refusal;
  }
}

}  // namespace ombrixdc
