#include "src/component/automation/put_property.h"

#include <gtest/gtest.h>

#include "src/component/automation/vexa_circle_dc.h"

namespace ombrixdc {

namespace {

TEST(PutPropertyByName, ConvertsTheTextToThePropertysType) {
  auto object = MakeComObject<Vexa_CircleDC>();
  IDispatch* dispatch = object.Get();
  CircleDCComponent& c = object->Component();
  EXPECT_EQ(PutPropertyByName(dispatch, "featureradius", "12.5"), S_OK);
  EXPECT_EQ(c.FeatureRadius.Get(), 12.5);
  EXPECT_EQ(PutPropertyByName(dispatch, "OfflineTesting", "1"), S_OK);
  EXPECT_EQ(c.OfflineTesting.Get(), 1);
  EXPECT_EQ(PutPropertyByName(dispatch, "Learning", "2"), S_OK);
  EXPECT_EQ(c.Learning.Get(), E_OMBRIX_DC_CIRCLE_AUTO);
  EXPECT_EQ(PutPropertyByName(dispatch, "IniFilepath", "/data/settings file.ini"), S_OK);
  EXPECT_EQ(c.IniFilepath.Get(), "/data/settings file.ini");
  EXPECT_EQ(PutPropertyByName(dispatch, "FilterMethod", "7"), S_OK);
  EXPECT_EQ(c.FilterMethod.Get(), 2);  // the component's own clamp still applies
}

TEST(PutPropertyByName, ReportsNamesAndValuesThatDoNotFit) {
  auto object = MakeComObject<Vexa_CircleDC>();
  IDispatch* dispatch = object.Get();
  EXPECT_EQ(PutPropertyByName(dispatch, "NoSuchProperty", "1"), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(PutPropertyByName(dispatch, "Status", "1"), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(PutPropertyByName(dispatch, "PerformCircle", "1"), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(PutPropertyByName(dispatch, "FilterNumber", "many"), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(PutPropertyByName(dispatch, "FilterNumber", "1e12"), DISP_E_OVERFLOW);
  EXPECT_EQ(object->Component().FilterNumber.Get(), 20);  // unchanged
}

}  // namespace

}  // namespace ombrixdc
