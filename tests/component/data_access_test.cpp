#include <gtest/gtest.h>

#include <cmath>

#include "src/component/circle_dc_component.h"
#include "src/component/process_state.h"

namespace ombrixdc {

// Points of a data set about the centre of its scan (the slow centre for the slow sets, the
// fast centre for the others), with their fitted circle; a type out of range or a set without
// angles fails with error 7 and leaves the outputs alone.
TEST(GetData, GivesPointsAboutTheirScansCentre) {
  CircleDCComponent c;
  c.SlowCentre.Set(CMaPoint(1, 2, 0));
  c.FastCentre.Set(CMaPoint(10, 0, 0));
  DataSet circle, radiiOnly;
  for (double angle : {0.0, 2.0, 4.0}) {
    circle.radii.Add(5.0);
    circle.angles.Add(angle);
  }
  radiiOnly.radii.Add(1.0);
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW].Set(circle);
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_CORRECTEDMAP].Set(circle);
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_FAST].Set(radiiOnly);
  struct Case {
    int32_t type;
    LONG success;
    CMaPoint centre;
    ScanKind flag;  // the scan the process-wide flag names afterwards
  };
  const Case cases[] = {
      {E_OMBRIX_DC_CIRCLE_DATA_SLOW, 1, {1, 2, 0}, ScanKind::Slow},
      {E_OMBRIX_DC_CIRCLE_DATA_CORRECTEDMAP, 1, {10, 0, 0}, ScanKind::Fast},
      {E_OMBRIX_DC_CIRCLE_DATA_FAST, 0, {}, ScanKind::Fast},
      {E_OMBRIX_DC_CIRCLE_DATA_FASTMAP, 0, {}, ScanKind::Fast},
      {-1, 0, {}, ScanKind::Fast},
      {6, 0, {}, ScanKind::Fast},
  };
  for (const Case& k : cases) {
    DataSetPoints points;
    points.form = 42.0;
    LONG success = -1;
    EXPECT_EQ(c.GetData(k.type, &points, &success), S_OK);
    EXPECT_EQ(success, k.success) << k.type;
    EXPECT_EQ(c.GetLastError(), k.success ? 0u : 0x83100007u) << k.type;
    if (!k.success) {
      EXPECT_EQ(points.form, 42.0) << k.type;
      EXPECT_TRUE(points.x.empty()) << k.type;
      continue;
    }
    EXPECT_EQ(ProcessScanState().slowScanFlag.load(), k.flag) << k.type;
    EXPECT_NEAR(points.radius, 5.0, 1e-12);
    EXPECT_NEAR(points.form, 0.0, 1e-12);
    EXPECT_LT(points.centre.DistanceTo(k.centre), 1e-12) << k.type;
    ASSERT_EQ(points.x.size(), 3u);
    EXPECT_NEAR(points.x[1], k.centre.x() + 5.0 * std::cos(2.0), 1e-12);
    EXPECT_NEAR(points.y[2], k.centre.y() + 5.0 * std::sin(4.0), 1e-12);
    EXPECT_EQ(points.z, (std::vector<double>{0.0, 0.0, 0.0}));
  }
}

}  // namespace ombrixdc
