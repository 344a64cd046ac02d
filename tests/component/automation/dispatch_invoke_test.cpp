#include "src/component/automation/dispatch_invoke.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/ui/headless_host.h"
#include "src/component/automation/vexa_circle_dc.h"
#include "src/viewer/viewer_thread.h"
#include "tests/support/variant_values.h"

namespace ombrixdc {

namespace {

// The real automation object, with two operations watched: what ShowGraphics receives, and a
// failure code ShowGraphicsComplete can be told to return.
class WatchedCircleDC final : public Vexa_CircleDC {
 public:
  using Call = std::tuple<INT, INT, INT, INT, std::optional<std::string>>;
  HRESULT ShowGraphics(INT left, INT top, INT width, INT height, BSTR filename) override {
    calls.emplace_back(left, top, width, height,
                       filename ? std::optional(Utf8FromBstr(filename)) : std::nullopt);
    return Vexa_CircleDC::ShowGraphics(left, top, width, height, filename);
  }
  HRESULT ShowGraphicsComplete() override {
    return failure ? failure : Vexa_CircleDC::ShowGraphicsComplete();
  }
  std::vector<Call> calls;
  HRESULT failure = S_OK;
};

class DispatchTest : public ::testing::Test {
 protected:
  // ShowGraphics opens a viewer on a window host without a display.
  void SetUp() override {
    ombrixdc::SetViewerHostFactory(
        [](std::string*) { return std::make_unique<ui::HeadlessHost>(); });
  }
  void TearDown() override {
    object.Reset();  // closes its viewer
    ombrixdc::SetViewerHostFactory(nullptr);
  }
  // A method call with the arguments in natural order, reversed here as the platform passes
  // them; `named` arguments come first and name their parameters.
  HRESULT Call(DISPID dispid, std::vector<VARIANT> args, std::vector<DISPID> named = {},
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
  }
  ComPtr<WatchedCircleDC> object = MakeComObject<WatchedCircleDC>();
};

// Optional arguments left out or passed as missing take their defaults (a file name absent,
// not empty); a named argument goes to its parameter.
TEST_F(DispatchTest, ShowGraphicsArguments_DefaultsAndNames) {
  EXPECT_EQ(Call(13, {}), S_OK);
  EXPECT_EQ(Call(13, {Long(100), Missing(), Real(300.4), Missing(), Text("run.txt")}), S_OK);
  EXPECT_EQ(Call(13, {Long(5), Text("named.txt")}, {4}), S_OK);
  EXPECT_EQ(object->calls, (std::vector<WatchedCircleDC::Call>{{0, 0, 0, 0, std::nullopt},
                                                               {100, 0, 300, 0, "run.txt"},
                                                               {5, 0, 0, 0, "named.txt"}}));
  LONG closed = 0;
  object->GetGraphicsClosed(&closed);
  EXPECT_EQ(closed, 0);  // the viewer is open
}

TEST_F(DispatchTest, AFailingMemberIsReportedAsAnException) {
  object->failure = E_ACCESSDENIED;
  EXCEPINFO excep{};
  EXPECT_EQ(Call(35, {}, {}, &excep), DISP_E_EXCEPTION);
  EXPECT_EQ(excep.scode, E_ACCESSDENIED);
}

}  // namespace

}  // namespace ombrixdc
