// Values a script can pass that are no usable lengths, speeds or offsets: text beyond the range
// of a double, infinity and not-a-number. Each is refused where it enters, never turned into 0
// and never left to fail later as a probe that is not at its start position.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "src/component/automation/put_property.h"
#include "src/component/automation/vexa_circle_dc.h"
#include "tests/component/component_fixture.h"

namespace ombrixdc {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST_F(ComponentTest, OutOfRangeValues_AreRefusedWhereTheyEnter) {
  // Text beyond a double's range: overflow, and the property keeps its value.
  auto object = MakeComObject<Vexa_CircleDC>();
  CircleDCComponent& fresh = object->Component();
  fresh.Learning.Set(E_OMBRIX_DC_CIRCLE_LEARNING);
  fresh.FeatureRadius.Set(10.0);
  for (const char* assignment : {"Learning=1e400", "FilterNumber=1e400", "FilterNumber=-1e400",
                                 "FeatureRadius=1e400", "ModeParameter=-1e400"}) {
    SCOPED_TRACE(assignment);
    const std::string_view text(assignment);
    const size_t equals = text.find('=');
    EXPECT_EQ(PutPropertyByName(object.Get(), text.substr(0, equals), text.substr(equals + 1)),
              DISP_E_OVERFLOW);
  }
  EXPECT_EQ(fresh.Learning.Get(), E_OMBRIX_DC_CIRCLE_LEARNING);  // not 0: no silent replay run
  EXPECT_EQ(fresh.FilterNumber.Get(), 20);
  EXPECT_EQ(fresh.FeatureRadius.Get(), 10.0);
  EXPECT_EQ(fresh.ModeParameter.Get(), 50.0);

  // A run with a length or speed that is not finite is refused by the parameter check.

  // Probe offsets: a non-finite one gives the false status and keeps the entered point.
  ASSERT_EQ(object->EnterProbeOffsets(1, 2, 3), S_OK);
  for (const CMaPoint& bad :
       {CMaPoint(kInf, 0, 0), CMaPoint(0, std::nan(""), 0), CMaPoint(0, 0, -kInf)}) {
    EXPECT_EQ(object->EnterProbeOffsets(bad.x(), bad.y(), bad.z()), S_FALSE);
    EXPECT_EQ(fresh.ProbeOffsets.Get()->y(), 2.0);
  }
  EXPECT_EQ(object->EnterProbeOffsets(4, -5, 6e300), S_OK);
  EXPECT_EQ(fresh.ProbeOffsets.Get()->y(), -5.0);
}

}  // namespace
}  // namespace ombrixdc
