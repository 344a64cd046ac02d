#include <gtest/gtest.h>

#include <tuple>

#include "src/component/circle_dc_component.h"

namespace ombrixdc {

TEST(ComponentProperties, NewObject_HasTheDocumentedDefaults) {
  CircleDCComponent c;
  EXPECT_EQ(c.GetCurrentCircleStatus(), E_OMBRIX_DC_CIRCLE_NOT_INITIALISED);
  EXPECT_EQ(c.GetLastError(), 0u);
  EXPECT_EQ(std::tuple(c.FilterNumber.Get(), c.FilterMethod.Get(), c.WindowVisible.Get(),
                       c.WindowHandle.Get(), c.Overwrite.Get(), c.TimeOut.Get(), c.DCMapMethod),
            std::tuple(20, 1, 1, 0, E_OMBRIX_DC_CIRCLE_OVERWRITE_EXISTING_MAP, -1, 1));
  EXPECT_EQ(std::tuple(c.MaxScanSpeed.Get(), c.ModeParameter.Get()), std::tuple(100.0, 50.0));
  EXPECT_EQ(c.WorkingFolder.Get(), std::optional<std::string>("Default"));
  for (double v : {c.FeatureRadius.Get(), c.TipRadius.Get(), c.ScanDeflection.Get(),
                   c.SlowSpeed.Get(), c.FastSpeed.Get(), c.DCStartAngle.Get()}) {
    EXPECT_EQ(v, 0.0);
  }
  for (int32_t v : {c.BoreOrBoss.Get(), c.ScanDirection.Get(), c.ScanType.Get(), c.Mode.Get(),
                    c.Learning.Get(), c.OfflineTesting.Get(), c.SaveRawData.Get()}) {
    EXPECT_EQ(v, 0);
  }
  EXPECT_EQ(c.WindowRect.Get(), (WindowRectangle{100, 100, 868, 677}));
  EXPECT_FALSE(c.IniFilepath.Get().has_value() || c.ProbeOffsets.Get().has_value());
  LONG completed = 1, success = 0;
  c.GetPerformCircleComplete(&completed, &success);
  EXPECT_EQ(std::pair(completed, success), std::pair(0, 1));
}

}  // namespace ombrixdc
