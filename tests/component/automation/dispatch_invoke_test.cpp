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

namespace ombrixdc {

namespace {

// The real automation object, with two operations watched: what ShowGraphics receives, and a
// failure code ShowGraphicsComplete can be told to return.
class WatchedCircleDC final : public Vexa_CircleDC {
 public:
  struct ShowGraphicsCall {
    INT left, top, width, height;
    std::optional<std::string> filename;
  };
  HRESULT ShowGraphics(INT left, INT top, INT width, INT height, BSTR filename) override {
    calls.push_back({left, top, width, height,
                     filename ? std::optional(Utf8FromBstr(filename)) : std::nullopt});
    return Vexa_CircleDC::ShowGraphics(left, top, width, height, filename);
  }
  HRESULT ShowGraphicsComplete() override {
    return failure ? failure : Vexa_CircleDC::ShowGraphicsComplete();
  }
  std::vector<ShowGraphicsCall> calls;
  HRESULT failure = S_OK;
};

VARIANT Long(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}
VARIANT Real(double value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R8;
  v.dblVal = value;
  return v;
}
VARIANT Missing() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}
VARIANT Text(const char* utf8) {  // the test frees it with Free
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = BstrFromUtf8(utf8);
  return v;
}
template <size_t N>
void Free(VARIANT (&args)[N]) {
  for (VARIANT& v : args) {
    VariantClear(&v);
  }
}

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
  // Arguments in natural order; they are reversed here as the platform passes them.
  HRESULT Call(DISPID dispid, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr,
               UINT* argErr = nullptr, EXCEPINFO* excep = nullptr) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), flags == DISPATCH_PROPERTYPUT ? &putId : nullptr,
                      static_cast<UINT>(reversed.size()), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    return object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, excep,
                          argErr);
  }
  ComPtr<WatchedCircleDC> object = MakeComObject<WatchedCircleDC>();
};

// Optional arguments left out or passed as missing take their defaults (a file name absent,
// not empty); a named argument goes to its parameter.
TEST_F(DispatchTest, ShowGraphicsArguments_DefaultsAndNames) {
  EXPECT_EQ(Call(13, DISPATCH_METHOD, {}), S_OK);
  VARIANT file = Text("run.txt");
  EXPECT_EQ(Call(13, DISPATCH_METHOD, {Long(100), Missing(), Real(300.4), Missing(), file}), S_OK);
  VariantClear(&file);
  VARIANT args[] = {Text("named.txt"), Long(5)};  // named first, then the positional ones
  DISPID named[] = {4};
  DISPPARAMS params{args, named, 2, 1};
  EXPECT_EQ(object->Invoke(13, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
            S_OK);
  Free(args);
  using Seen = std::tuple<INT, INT, INT, INT, std::optional<std::string>>;
  std::vector<Seen> seen;
  for (const auto& c : object->calls) {
    seen.emplace_back(c.left, c.top, c.width, c.height, c.filename);
  }
  EXPECT_EQ(seen, (std::vector<Seen>{{0, 0, 0, 0, std::nullopt},
                                     {100, 0, 300, 0, "run.txt"},
                                     {5, 0, 0, 0, "named.txt"}}));
  LONG closed = 0;
  object->GetGraphicsClosed(&closed);
  EXPECT_EQ(closed, 0);  // the viewer is open
}

TEST_F(DispatchTest, AFailingMemberIsReportedAsAnException) {
  object->failure = E_ACCESSDENIED;
  EXCEPINFO excep{};
  EXPECT_EQ(Call(35, DISPATCH_METHOD, {}, nullptr, nullptr, &excep), DISP_E_EXCEPTION);
  EXPECT_EQ(excep.scode, E_ACCESSDENIED);
}

}  // namespace

}  // namespace ombrixdc
