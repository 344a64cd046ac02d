#include <gtest/gtest.h>

#include "src/component/circle_dc_component.h"

namespace ombrixdc {

TEST(ComponentProperties, NewObject_HasTheDocumentedDefaults) {
  CircleDCComponent c;
  EXPECT_EQ(c.GetCurrentCircleStatus(), E_OMBRIX_DC_CIRCLE_NOT_INITIALISED);
  EXPECT_EQ(c.GetLastError(), 0u);
  EXPECT_EQ(c.FilterNumber.Get(), 20);
  EXPECT_EQ(c.FilterMethod.Get(), 1);
  EXPECT_EQ(c.MaxScanSpeed.Get(), 100.0);
  EXPECT_EQ(c.ModeParameter.Get(), 50.0);
  EXPECT_EQ(c.WorkingFolder.Get(), std::optional<std::string>("Default"));
  EXPECT_EQ(c.WindowVisible.Get(), 1);
  EXPECT_EQ(c.WindowHandle.Get(), 0);
  EXPECT_EQ(c.Overwrite.Get(), E_OMBRIX_DC_CIRCLE_OVERWRITE_EXISTING_MAP);
  EXPECT_EQ(c.TimeOut.Get(), -1);
  EXPECT_EQ(c.DCMapMethod, 1);
  for (double v : {c.FeatureRadius.Get(), c.TipRadius.Get(), c.ScanDeflection.Get(),
                   c.SlowSpeed.Get(), c.FastSpeed.Get(), c.DCStartAngle.Get()}) {
    EXPECT_EQ(v, 0.0);
  }
  for (int32_t v : {c.BoreOrBoss.Get(), c.ScanDirection.Get(), c.ScanType.Get(), c.Mode.Get(),
                    c.Learning.Get(), c.OfflineTesting.Get(), c.SaveRawData.Get()}) {
    EXPECT_EQ(v, 0);
  }
  EXPECT_EQ(c.WindowRect.Get(), (WindowRectangle{100, 100, 868, 677}));
  EXPECT_FALSE(c.IniFilepath.Get().has_value());
  EXPECT_FALSE(c.ProbeOffsets.Get().has_value());
  LONG completed = 1, success = 0;
  c.GetPerformCircleComplete(&completed, &success);
  EXPECT_EQ(completed, 0);
  EXPECT_EQ(success, 1);
}

TEST(ComponentProperties, FilterMethod_IsClampedTo1Or2) {
  CircleDCComponent c;
  const std::pair<int32_t, int32_t> cases[] = {{0, 1}, {-5, 1}, {1, 1}, {2, 2}, {3, 2}, {100, 2}};
  for (auto [given, stored] : cases) {
    c.SetFilterMethod(given);
    EXPECT_EQ(c.FilterMethod.Get(), stored) << given;
  }
}

}  // namespace ombrixdc
