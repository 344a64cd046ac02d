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

TEST_F(DispatchTest, ArgumentsAreCoercedToTheParameterType) {
  VARIANT text = Text("12.5");
  ASSERT_EQ(Call(3, DISPATCH_PROPERTYPUT, {text}), S_OK);
  VariantClear(&text);
  EXPECT_EQ(object->Component().ModeParameter.Get(), 12.5);
  ASSERT_EQ(Call(4, DISPATCH_PROPERTYPUT, {Real(2.5)}), S_OK);
  EXPECT_EQ(object->Component().FilterNumber.Get(), 2);  // half to even
  ASSERT_EQ(Call(17, DISPATCH_PROPERTYPUT, {Real(1.5)}), S_OK);
  EXPECT_EQ(object->Component().IniFilepath.Get(), "1.5");
  double byReference = 0.75;
  VARIANT reference;
  VariantInit(&reference);
  reference.vt = VT_BYREF | VT_R8;
  reference.pdblVal = &byReference;
  ASSERT_EQ(Call(5, DISPATCH_PROPERTYPUT, {reference}), S_OK);
  EXPECT_EQ(object->Component().TipRadius.Get(), 0.75);

  ComVariant result;
  ASSERT_EQ(Call(3, DISPATCH_PROPERTYGET, {}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_R8);
  EXPECT_EQ(result.dblVal, 12.5);
  ComVariant status;
  ASSERT_EQ(Call(2, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, &status), S_OK);
  EXPECT_EQ(status.vt, VT_I4);
  EXPECT_EQ(status.lVal, 0);
}

TEST_F(DispatchTest, GetDataHandsBackOutputsAndArraysThroughReferences) {
  // Three points on a circle of radius 5 about (1, 2): the circle comes back exactly.
  CircleDCComponent& c = object->Component();
  c.SlowCentre.Set(CMaPoint(1, 2, 0));
  DataSet slow;
  for (double angle : {0.0, 2.0, 4.0}) {
    slow.radii.Add(5.0);
    slow.angles.Add(angle);
  }
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW].Set(slow);

  double form = -1, radius = -1, cx = -1, cy = -1;
  ComVariant cz, x, y, z, result;
  SAFEARRAY* typedY = nullptr;
  auto byRef = [](VARTYPE vt, void* p) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | vt;
    v.byref = p;
    return v;
  };
  ASSERT_EQ(Call(19, DISPATCH_METHOD,
                 {Long(E_OMBRIX_DC_CIRCLE_DATA_SLOW), byRef(VT_R8, &form), byRef(VT_R8, &radius),
                  byRef(VT_R8, &cx), byRef(VT_R8, &cy), byRef(VT_VARIANT, &cz),
                  byRef(VT_VARIANT, &x), byRef(VT_ARRAY | VT_R8, &typedY), byRef(VT_VARIANT, &z)},
                 &result),
            S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 1);
  EXPECT_NEAR(radius, 5.0, 1e-12);
  EXPECT_NEAR(cy, 2.0, 1e-12);
  EXPECT_EQ(cz.vt, VT_R8);
  ASSERT_EQ(x.vt, VT_ARRAY | VT_R8);
  ASSERT_NE(typedY, nullptr);
  double x1 = 0, y2 = 0;
  LONG one = 1, two = 2, upper = 0;
  SafeArrayGetElement(x.parray, &one, &x1);
  SafeArrayGetElement(typedY, &two, &y2);
  SafeArrayGetUBound(z.parray, 1, &upper);
  EXPECT_NEAR(x1, 1.0 + 5.0 * std::cos(2.0), 1e-12);
  EXPECT_NEAR(y2, 2.0 + 5.0 * std::sin(4.0), 1e-12);
  EXPECT_EQ(upper, 2);
  SafeArrayDestroy(typedY);
}

}  // namespace

}  // namespace ombrixdc
