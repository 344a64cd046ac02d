// Values a script can pass that are no usable lengths, speeds or offsets: text beyond the range
// of a double, infinity and not-a-number. Each must be refused where it enters, never turned
// into 0 and never left to fail later as a probe that is not at its start position.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "src/component/automation/put_property.h"
#include "src/component/automation/vexa_circle_dc.h"
#include "tests/component/component_fixture.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

class OutOfRangeValues : public ComponentTest {
 protected:
  // The object's component ready to run: only the value under test can stop it.
  void PrepareObject() {
    CircleDCComponent& c = object->Component();
    LONG success = 0;
    ASSERT_EQ(c.InitialiseObject(link.Get(), nullptr, &success), S_OK);
    c.FeatureRadius.Set(10.0);
    c.TipRadius.Set(1.0);
    c.ScanDeflection.Set(0.3);
    c.SlowSpeed.Set(5.0);
    c.ModeParameter.Set(50.0);
    c.IniFilepath.Set(settingsFile.string());
    double x = 0, y = 0, z = 0;
    c.GetStartPosition(&x, &y, &z, &success);
    ASSERT_EQ(success, 1);
    machine->SetTip(CMaPoint(x, y, z));
    ASSERT_EQ(object->EnterProbeOffsets(1, 2, 3), S_OK);
  }

  ComPtr<Vexa_CircleDC> object = MakeComObject<Vexa_CircleDC>();
};

TEST_F(OutOfRangeValues, AreRefusedWhereTheyEnter) {
  struct Case {
    const char* property;
    const char* text;
    HRESULT put;      // what putting the text gives
    bool runRefused;  // after a put that is accepted: PerformCircle refuses with error 1
  };
  const Case cases[] = {
      {"Learning", "1e400", DISP_E_OVERFLOW, false},  // was 0: a compensated run, not learning
      {"FilterNumber", "1e400", DISP_E_OVERFLOW, false},
      {"FilterNumber", "-1e400", DISP_E_OVERFLOW, false},
      {"FeatureRadius", "1e400", DISP_E_OVERFLOW, false},
      {"ModeParameter", "-1e400", DISP_E_OVERFLOW, false},
      {"FeatureRadius", "inf", S_OK, true},
      {"TipRadius", "inf", S_OK, true},
      {"ScanDeflection", "inf", S_OK, true},
      {"MaxScanSpeed", "inf", S_OK, true},
      {"SlowSpeed", "inf", S_OK, true},
      {"ModeParameter", "inf", S_OK, true},
      {"SlowSpeed", "nan", S_OK, true},
      {"TipRadius", "1e-400", S_OK, true},  // too small to tell from 0: reads as 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.property) + "=" + c.text);
    object = MakeComObject<Vexa_CircleDC>();
    PrepareObject();
    CircleDCComponent& component = object->Component();
    const int32_t learning = component.Learning.Get();
    const int32_t filterNumber = component.FilterNumber.Get();
    const double radius = component.FeatureRadius.Get();
    ASSERT_EQ(PutPropertyByName(object.Get(), c.property, c.text), c.put);
    if (FAILED(c.put)) {  // a refused value leaves the property as it was
      EXPECT_EQ(component.Learning.Get(), learning);
      EXPECT_EQ(component.FilterNumber.Get(), filterNumber);
      EXPECT_EQ(component.FeatureRadius.Get(), radius);
      continue;
    }
    ASSERT_TRUE(c.runRefused);
    EXPECT_EQ(component.PerformCircle(), S_FALSE);
    EXPECT_FALSE(component.RunInProgress());
    EXPECT_EQ(component.GetLastError(), 0x83100001u);
    EXPECT_EQ(component.GetCurrentCircleStatus(), E_OMBRIX_DC_CIRCLE_NOT_INITIALISED);
  }

  // Probe offsets: a non-finite one gives the false status and keeps the entered point.
  struct Offsets {
    double x, y, z;
    HRESULT expected;
  };
  object = MakeComObject<Vexa_CircleDC>();
  ASSERT_EQ(object->EnterProbeOffsets(1, 2, 3), S_OK);
  double storedY = 2;
  for (const Offsets& o : {Offsets{kInf, 0, 0, S_FALSE}, Offsets{0, std::nan(""), 0, S_FALSE},
                           Offsets{0, 0, -kInf, S_FALSE}, Offsets{4, -5, 6e300, S_OK}}) {
    SCOPED_TRACE(testing::Message() << o.x << " " << o.y << " " << o.z);
    EXPECT_EQ(object->EnterProbeOffsets(o.x, o.y, o.z), o.expected);
    if (o.expected == S_OK)
      storedY = o.y;
    const std::optional<CMaPoint> stored = object->Component().ProbeOffsets.Get();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->y(), storedY);
  }
}

}  // namespace
