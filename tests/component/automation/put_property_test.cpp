#include "src/component/automation/put_property.h"

#include <gtest/gtest.h>

#include "src/component/automation/vexa_circle_dc.h"

namespace ombrixdc {

namespace {

// A property set by name from text, as the command line's --set NAME=VALUE does: the text is
// converted to the property's type, and a value that does not fit is refused where it enters
// (never turned into 0), the property keeping its value.
TEST(PutPropertyByName, ConvertsTheTextOrRefusesIt) {
  struct Case {
    const char* name;
    const char* text;
    HRESULT hr;
    std::function<bool(const CircleDCComponent&)> holds;
  };
  const Case cases[] = {
      {"featureradius", "12.5", S_OK, [](auto& c) { return c.FeatureRadius.Get() == 12.5; }},
      {"Learning", "2", S_OK, [](auto& c) { return c.Learning.Get() == 2; }},
      {"IniFilepath", "/data/a b.ini", S_OK,
       [](auto& c) { return c.IniFilepath.Get() == "/data/a b.ini"; }},
      // FilterMethod is clamped to 1 or 2: the first values beyond either end.
      {"FilterMethod", "3", S_OK, [](auto& c) { return c.FilterMethod.Get() == 2; }},
      {"FilterMethod", "0", S_OK, [](auto& c) { return c.FilterMethod.Get() == 1; }},
      {"NoSuchProperty", "1", DISP_E_UNKNOWNNAME, [](auto&) { return true; }},
      {"Status", "1", DISP_E_MEMBERNOTFOUND, [](auto&) { return true; }},
      {"PerformCircle", "1", DISP_E_MEMBERNOTFOUND, [](auto&) { return true; }},
      {"FilterNumber", "many", DISP_E_TYPEMISMATCH,
       [](auto& c) { return c.FilterNumber.Get() == 20; }},
      {"FilterNumber", "1e12", DISP_E_OVERFLOW, [](auto& c) { return c.FilterNumber.Get() == 20; }},
      // Not 0: no silent replay run instead of the learning asked for.
      {"Learning", "1e400", DISP_E_OVERFLOW, [](auto& c) { return c.Learning.Get() == 2; }},
      {"FeatureRadius", "1e400", DISP_E_OVERFLOW,
       [](auto& c) { return c.FeatureRadius.Get() == 12.5; }},
      {"ModeParameter", "-1e400", DISP_E_OVERFLOW,
       [](auto& c) { return c.ModeParameter.Get() == 50.0; }},
  };
  auto object = MakeComObject<Vexa_CircleDC>();
  for (const Case& c : cases) {
    EXPECT_EQ(PutPropertyByName(object.Get(), c.name, c.text), c.hr) << c.name << "=" << c.text;
    EXPECT_TRUE(c.holds(object->Component())) << c.name << "=" << c.text;
  }
}

}  // namespace

}  // namespace ombrixdc
