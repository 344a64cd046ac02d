#include <gtest/gtest.h>

#include <cmath>

#include "src/component/circle_dc_component.h"
#include "src/component/process_state.h"

namespace ombrixdc {

namespace {

DataSet Profile(std::initializer_list<std::pair<double, double>> radiusAngle) {
  DataSet set;
  for (auto [r, a] : radiusAngle) {
    set.radii.Add(r);
    set.angles.Add(a);
  }
  return set;
}

}  // namespace

TEST(GetData, GivesPointsAboutTheSlowCentreWithTheirCircle) {
  CircleDCComponent c;
  c.SlowCentre.Set(CMaPoint(1, 2, 0));
  c.FastCentre.Set(CMaPoint(-50, -50, 0));
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW].Set(Profile({{5, 0.0}, {5, 2.0}, {5, 4.0}}));
  DataSetPoints points;
  LONG success = 0;
  EXPECT_EQ(c.GetData(E_OMBRIX_DC_CIRCLE_DATA_SLOW, &points, &success), S_OK);
  ASSERT_EQ(success, 1);
  EXPECT_NEAR(points.radius, 5.0, 1e-12);
  EXPECT_NEAR(points.centre.x(), 1.0, 1e-12);
  EXPECT_NEAR(points.centre.y(), 2.0, 1e-12);
  EXPECT_NEAR(points.form, 0.0, 1e-12);
  ASSERT_EQ(points.x.size(), 3u);
  ASSERT_EQ(points.z.size(), 3u);
  EXPECT_NEAR(points.x[1], 1.0 + 5.0 * std::cos(2.0), 1e-12);
  EXPECT_NEAR(points.y[2], 2.0 + 5.0 * std::sin(4.0), 1e-12);
  for (double z : points.z) {
    EXPECT_EQ(z, 0.0);
  }
  EXPECT_EQ(ProcessScanState().slowScanFlag.load(), ScanKind::Slow);
}

TEST(GetData, FastSetsUseTheFastCentre) {
  CircleDCComponent c;
  c.FastCentre.Set(CMaPoint(10, 0, 0));
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_CORRECTEDMAP].Set(
      Profile({{2, 0.0}, {2, 1.5}, {2, 3.0}, {2, 4.5}}));
  DataSetPoints points;
  LONG success = 0;
  c.GetData(E_OMBRIX_DC_CIRCLE_DATA_CORRECTEDMAP, &points, &success);
  ASSERT_EQ(success, 1);
  EXPECT_NEAR(points.centre.x(), 10.0, 1e-12);
  EXPECT_EQ(ProcessScanState().slowScanFlag.load(), ScanKind::Fast);
}

TEST(GetData, UnknownTypeOrEmptySet_FailsWithError7AndLeavesOutputsAlone) {
  CircleDCComponent c;
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_FAST].Set(Profile({{1, 0.0}}));
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_FAST].Set([] {
    DataSet radiiOnly;
    radiiOnly.radii.Add(1.0);
    return radiiOnly;
  }());
  for (int32_t type : {-1, 6, 0, 1}) {
    DataSetPoints points;
    points.form = 42.0;
    LONG success = 1;
    EXPECT_EQ(c.GetData(type, &points, &success), S_OK);
    EXPECT_EQ(success, 0) << type;
    EXPECT_EQ(points.form, 42.0);
    EXPECT_TRUE(points.x.empty());
    EXPECT_EQ(c.GetLastError(), 0x83100007u) << type;
  }
}

}  // namespace ombrixdc
