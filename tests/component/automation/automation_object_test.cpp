// The automation object seen from inside the process: Invoke's argument handling, properties
// set by name from text.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "src/component/automation/put_property.h"
#include "src/component/automation/vexa_circle_dc.h"
#include "tests/support/variant_values.h"

namespace ombrixdc {

namespace {

// The real automation object's dispatch, with two operations stood in for: ShowGraphics records
// what it receives (no viewer opens), and ShowGraphicsComplete returns a failure.
class WatchedCircleDC final : public Vexa_CircleDC {
 public:
  using Call = std::tuple<INT, INT, INT, INT, std::optional<std::string>>;
  HRESULT ShowGraphics(INT left, INT top, INT width, INT height, BSTR filename) override {
    calls.emplace_back(left, top, width, height,
                       filename ? std::optional(Utf8FromBstr(filename)) : std::nullopt);
    return S_OK;
  }
  HRESULT ShowGraphicsComplete() override { return E_ACCESSDENIED; }
  std::vector<Call> calls;
};

// Optional arguments left out or passed as missing take their defaults (a file name absent,
// not empty); a named argument goes to its parameter; a failing member is an exception.
TEST(DispatchTest, ShowGraphicsArgumentsAndFailures) {
  ComPtr<WatchedCircleDC> object = MakeComObject<WatchedCircleDC>();
  // A method call with the arguments in natural order, reversed here as the platform passes
  // them; `named` arguments come first and name their parameters.
  const auto call = [&](DISPID dispid, std::vector<VARIANT> args, std::vector<DISPID> named = {},
                        EXCEPINFO* excep = nullptr) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), named.data(), static_cast<UINT>(reversed.size()),
                      static_cast<UINT>(named.size())};
    const HRESULT hr = object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                      &params, nullptr, excep, nullptr);
    for (VARIANT& v : args) {
      VariantClear(&v);
    }
    return hr;
  };
  EXPECT_EQ(call(13, {Long(100), Missing(), Real(300.4), Missing(), Text("run.txt")}), S_OK);
  EXPECT_EQ(call(13, {Long(5), Text("named.txt")}, {4}), S_OK);
  EXPECT_EQ(call(13, {Long(9)}, {0}), S_OK);  // the first parameter, by name
  EXPECT_EQ(object->calls, (std::vector<WatchedCircleDC::Call>{{100, 0, 300, 0, "run.txt"},
                                                               {5, 0, 0, 0, "named.txt"},
                                                               {9, 0, 0, 0, std::nullopt}}));
  EXCEPINFO excep{};
  EXPECT_EQ(call(35, {}, {}, &excep), DISP_E_EXCEPTION);
  EXPECT_EQ(excep.scode, E_ACCESSDENIED);
}

// A property set by name from text, as the command line's --set NAME=VALUE does: the text is
// converted to the property's type. (A value that does not fit is refused as every put refuses
// it: the client's hostile values and the command line's --set Learning=1e400. Names in any
// case and numbers of either type: the command line's run of the example, --set learning=0 and
// --set TipRadius=1.5.)
TEST(PutPropertyByName, ConvertsTheText) {
  // The property, the text, the put's answer, and what the component then holds.
  using Holds = std::function<bool(const CircleDCComponent&)>;
  const std::tuple<const char*, const char*, HRESULT, Holds> cases[] = {
      // Overwrite put to what it already holds: every property as a new object holds it.
      {"Overwrite", "1", S_OK,
       [](auto& c) {
         const auto absent = [](const auto& text) { return !text.Get().has_value(); };
         return std::tuple(c.Status.load(), c.LastErrorNumber.load(), c.ModeParameter.Get(),
                           c.FilterNumber.Get(), c.TipRadius.Get(), c.FeatureRadius.Get(),
                           c.Mode.Get(), c.Learning.Get(), c.SlowSpeed.Get(),
                           c.ScanDeflection.Get(), c.Overwrite.Get(), c.BoreOrBoss.Get(),
                           c.ScanDirection.Get(), c.ScanType.Get(), c.MaxScanSpeed.Get(),
                           c.OfflineTesting.Get(), c.SaveRawData.Get(), c.FilterMethod.Get(),
                           c.WindowHandle.Get(), c.WindowVisible.Get()) ==
                    std::tuple(0, 0, 50.0, 20, 0.0, 0.0, 0, 0, 0.0, 0.0, 1, 0, 0, 0, 100.0, 0, 0, 1,
                               0, 1) &&
                c.WorkingFolder.Get() == "Default" && absent(c.IniFilepath) && absent(c.Language) &&
                std::all_of(c.HeaderInfo.begin(), c.HeaderInfo.end(), absent);
       }},
      {"IniFilepath", "/data/a b.ini", S_OK,
       [](auto& c) { return c.IniFilepath.Get() == "/data/a b.ini"; }},
      // FilterMethod is clamped to 1 or 2: the first values beyond either end.
      {"FilterMethod", "3", S_OK, [](auto& c) { return c.FilterMethod.Get() == 2; }},
      {"FilterMethod", "0", S_OK, [](auto& c) { return c.FilterMethod.Get() == 1; }},
  };
  auto object = MakeComObject<Vexa_CircleDC>();
  for (const auto& [name, text, hr, holds] : cases) {
    EXPECT_EQ(PutPropertyByName(object.Get(), name, text), hr) << name << "=" << text;
    EXPECT_TRUE(holds(object->Component())) << name << "=" << text;
  }
}

}  // namespace

}  // namespace ombrixdc
