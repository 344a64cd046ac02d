// The object through IDispatch from outside the module. Hostile values, as a script or a careless
// client passes them: wrong variant types, empty and huge strings, NaN, negative and huge counts,
// null pointers where a pointer may stand; every call gets a defined answer (the HRESULT, and
// the error number GetLastError then gives), never a crash. And a whole run's events.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <regex>
#include <tuple>

#include "tests/client/client_support.h"
#include "tests/support/circle_dc_interface_table.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct Value {
  const char* name;
  std::function<VARIANT()> make;
  // The put's answer for a property of type 'd' (double), 'l' (32-bit integer), 's' (string).
  HRESULT d, l, s;
};

const HRESULT kMismatch = DISP_E_TYPEMISMATCH, kOverflow = DISP_E_OVERFLOW;

const Value kValues[] = {
    {"empty", [] { return Of(VT_EMPTY); }, S_OK, S_OK, S_OK},
    {"empty string", [] { return Text(""); }, kMismatch, kMismatch, S_OK},
    {"huge string", [] { return Text(std::string(1 << 22, '9')); }, kOverflow, kOverflow, S_OK},
    {"NaN", [] { return Real(std::nan("")); }, S_OK, kOverflow, S_OK},
    {"null object", [] { return Of(VT_UNKNOWN); }, kMismatch, kMismatch, kMismatch},
    {"null reference", [] { return Of(VT_BYREF | VT_R8); }, E_INVALIDARG, E_INVALIDARG,
     E_INVALIDARG},
    {"missing", Missing, DISP_E_PARAMNOTOPTIONAL, DISP_E_PARAMNOTOPTIONAL, DISP_E_PARAMNOTOPTIONAL},
};

TEST(ClientHostileInput, EveryPropertySetterAnswersEveryHostileValue) {
  ComPtr<IVexa_CircleDC> object = CreateFromFactory();
  ASSERT_TRUE(object);
  for (const InterfaceMember& row : kCircleDCInterface) {
    if (!std::strchr(row.kinds, 'p')) {
      continue;
    }
    for (const Value& value : kValues) {
      ComVariant before, after;
      CallByName(object.Get(), row.name, DISPATCH_PROPERTYGET, {}, &before);
      VARIANT v = value.make();
      const HRESULT expected = row.type == 'd' ? value.d : row.type == 'l' ? value.l : value.s;
      EXPECT_EQ(PutByName(object.Get(), row.name, v), expected) << row.name << " " << value.name;
      VariantClear(&v);
      // A refused value leaves the property as it was.
      CallByName(object.Get(), row.name, DISPATCH_PROPERTYGET, {}, &after);
      if (FAILED(expected) && before.vt == VT_R8) {
        // Bit for bit, so that a NaN left in place by an earlier row compares equal.
        EXPECT_EQ(std::bit_cast<uint64_t>(after.dblVal), std::bit_cast<uint64_t>(before.dblVal))
            << row.name << " " << value.name;
      } else if (FAILED(expected) && before.vt == VT_I4) {
        EXPECT_EQ(after.lVal, before.lVal) << row.name << " " << value.name;
      }
    }
  }
}

// GetData's nine arguments: the type, then references to the eight outputs, the points' y a
// typed array in place of a variant.
struct Outputs {
  double form = 0, radius = 0, cx = 0, cy = 0;
  ComVariant cz, x, z;
  SAFEARRAY* y = nullptr;
  ~Outputs() { SafeArrayDestroy(y); }
  std::vector<VARIANT> Args(VARIANT type) {
    return std::vector<VARIANT>({type, Ref(VT_R8, &form), Ref(VT_R8, &radius), Ref(VT_R8, &cx),
                                 Ref(VT_R8, &cy), Ref(VT_VARIANT, &cz), Ref(VT_VARIANT, &x),
                                 Ref(VT_ARRAY | VT_R8, &y), Ref(VT_VARIANT, &z)});
  }
};

// On an object that has learnt the offline example, so that GetData and SaveData have data to
// hand out and write.
TEST_F(OfflineClientRun, GetDataSaveDataAndInvokeItselfAnswerEveryHostileCall) {
  // The call, its HRESULT, its result (-1 when it gives none), and what GetLastError then gives.
  using Call = std::function<HRESULT(ComVariant&)>;
  using Row = std::tuple<const char*, Call, HRESULT, LONG, uint32_t>;
  const auto getData = [&](VARIANT type, std::function<void(std::vector<VARIANT>&)> spoil = {}) {
    return [this, type, spoil](ComVariant& result) {
      Outputs out;
      std::vector<VARIANT> args = out.Args(type);
      if (spoil) {
        spoil(args);
      }
      return CallByName(o, "GetData", DISPATCH_METHOD, args, &result);
    };
  };
  const auto invoke = [this](DISPPARAMS* params, DISPID id = 19, WORD flags = DISPATCH_METHOD,
                             REFIID riid = IID_NULL) {
    return [this, params, id, flags, &riid](ComVariant& result) {
      return o->Invoke(id, riid, 0, flags, params, &result, nullptr, nullptr);
    };
  };
  // A member called by name, its arguments cleared afterwards (each row runs once).
  const auto call = [this](const char* name, WORD flags, std::vector<VARIANT> args) {
    return [this, name, flags, args](ComVariant& result) mutable {
      const HRESULT hr = CallByName(o, name, flags, args, &result);
      for (VARIANT& v : args) {
        VariantClear(&v);
      }
      return hr;
    };
  };
  const auto saveData = [&](VARIANT name) { return call("SaveData", DISPATCH_METHOD, {name}); };
  int anInt = 0;
  VARIANT two[2] = {Long(0), Long(0)};
  DISPID badName = 99, putName = DISPID_PROPERTYPUT;
  DISPPARAMS noArray{nullptr, nullptr, 2, 0}, noNames{two, nullptr, 2, 1},
      unknownName{two, &badName, 2, 1}, putNameOfAMethod{two, &putName, 2, 1};
  const uint32_t kNoData = 0x83100007, kBadName = 0x83100006;
  const Row rows[] = {
      {"GetData of the slow set",
       [this](ComVariant& result) {
         Outputs out;
         const HRESULT hr = CallByName(o, "GetData", DISPATCH_METHOD, out.Args(Long(0)), &result);
         // The first point, read from both kinds of array, lies on the circle handed back.
         LONG first = 0, last = -1;
         double x = 0, y = 0;
         SafeArrayGetUBound(out.z.parray, 1, &last);
         SafeArrayGetElement(out.x.parray, &first, &x);
         SafeArrayGetElement(out.y, &first, &y);
         EXPECT_GT(last, 50);
         EXPECT_NEAR(out.radius, 8.0, 0.01);
         EXPECT_LE(std::abs(std::hypot(x - out.cx, y - out.cy) - out.radius), out.form + 1e-9);
         return hr;
       },
       S_OK, 1, 0},
      {"GetData smallest type", getData(Long(std::numeric_limits<LONG>::min())), S_OK, 0, kNoData},
      {"GetData null output", getData(Long(0), [](auto& a) { a[2] = Of(VT_BYREF | VT_R8); }),
       DISP_E_TYPEMISMATCH, -1, 0},
      {"GetData output by value", getData(Long(0), [](auto& a) { a[1] = Real(0); }),
       DISP_E_TYPEMISMATCH, -1, 0},
      {"GetData an int for a double output",
       getData(Long(0), [&anInt](auto& a) { a[1] = Ref(VT_INT, &anInt); }), DISP_E_TYPEMISMATCH, -1,
       0},
      {"Invoke without parameters", invoke(nullptr), DISP_E_BADPARAMCOUNT, -1, 0},
      {"Invoke for another interface", invoke(nullptr, 1, DISPATCH_METHOD, IID_IDispatch),
       DISP_E_UNKNOWNINTERFACE, -1, 0},
      {"put of a read-only property", call("Status", DISPATCH_PROPERTYPUT, {Long(1)}),
       DISP_E_MEMBERNOTFOUND, -1, 0},
      {"a property called as a method", call("ModeParameter", DISPATCH_METHOD, {}),
       DISP_E_MEMBERNOTFOUND, -1, 0},
      {"Invoke with a count and no arguments", invoke(&noArray), E_INVALIDARG, -1, 0},
      {"Invoke with a named count and no names", invoke(&noNames), DISP_E_PARAMNOTFOUND, -1, 0},
      {"Invoke with an unknown name", invoke(&unknownName), DISP_E_PARAMNOTFOUND, -1, 0},
      {"a method given the put's name", invoke(&putNameOfAMethod), DISP_E_PARAMNOTFOUND, -1, 0},
      {"SaveData null name", saveData(Of(VT_BSTR)), S_OK, 0, kBadName},
      {"SaveData name with a folder", saveData(Text("../out")), S_OK, 0, kBadName},
      {"SaveData huge name", saveData(Text(std::string(1 << 16, 'n'))), S_OK, 0, 0x83100007},
      {"EnterProbeOffsets infinity",
       call("EnterProbeOffsets", DISPATCH_METHOD, {Real(1), Real(-kInf), Real(2)}), S_FALSE, -1, 0},
  };
  for (const auto& [name, make, hr, success, error] : rows) {
    ComVariant result, lastError;
    EXPECT_EQ(make(result), hr) << name;
    // An empty result is all zero.
    const VARTYPE type = success < 0 ? VT_EMPTY : VT_I4;
    EXPECT_EQ(std::pair(result.vt, result.lVal), std::pair(type, std::max<LONG>(success, 0)))
        << name;
    ASSERT_EQ(CallByName(o, "GetLastError", DISPATCH_PROPERTYGET, {}, &lastError), S_OK);
    EXPECT_EQ(static_cast<uint32_t>(lastError.lVal), error) << name;
  }
}

// An offline run maps no drawing library; the first graphics call loads the view module and
// them. Checked in a fresh process (a death test's), whatever earlier tests here loaded.
TEST_F(OfflineClientRun, OnlyGraphicsMapTheDrawingLibraries) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto drawing = [] {
    std::ifstream maps("/proc/self/maps");
    const std::string text{std::istreambuf_iterator<char>(maps), {}};
    return std::regex_search(text,
                             std::regex("/lib(cairo|freetype|fontconfig|gdk|gtk|glib|X11|xcb)"));
  };
  EXPECT_EXIT(
      {
        const bool before = drawing();
        ::unsetenv("DISPLAY");
        CallByName(o, "ShowGraphics", DISPATCH_METHOD, {});
        // _Exit: the fixture's worker thread is still unjoined, and the answer is all we need.
        std::_Exit(!before && drawing() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// A whole run's events reach the client's sinks across the binary boundary, late bound, in
// connection order; a sink without a dispatch interface is passed over.
TEST_F(OfflineClientRun, EventsReachTheDispatchSinksInConnectionOrder) {
  const std::vector<std::pair<DISPID, LONG>> expected = {
      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_INITIALISED},
      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_LEARNING_SLOW_SCAN},
      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_LEARNING_FAST_SCAN},
      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_FINISHED},
      {DISPID_PerformCircleComplete, 1}};
  for (RecordingSink* sink : {first.Get(), second.Get()}) {
    const auto [events, problems] = sink->EventsAndProblems();
    EXPECT_EQ(events, expected);
    EXPECT_EQ(problems, std::vector<std::string>{});
  }
  EXPECT_EQ(silent->calls, 0);
}

}  // namespace
