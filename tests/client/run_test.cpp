// A whole offline learning run as an automation client drives it: creation through the
// registry store, every call late bound, the events through a connected sink.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/com/store_class_lookup.h"
#include "tests/client/client_support.h"
#include "tests/support/isolated_registry.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFeatureRadius = 10.0;
constexpr double kTipRadius = 1.0;

// Tip centres of a bore scan, one every half degree from the +X axis round past the +Y axis
// and on to 120 degrees, so that one whole revolution from the +Y axis remains: the surface has a
// three-lobed form of `lobes` and the scan a two-lobed deviation of `lag`, as a fast scan would
// show.
void WriteScanFile(const std::filesystem::path& file, double lobes, double lag) {
  std::ofstream out(file, std::ios::binary);
  for (double degrees = 0.0; degrees <= 480.0; degrees += 0.5) {
    const double a = degrees * kPi / 180.0;
    const double r =
        kFeatureRadius - kTipRadius + lobes * std::cos(3 * a) + lag * std::cos(2 * a + 0.4);
    char line[128];
    std::snprintf(line, sizeof line, " %.16e %.16e  %.16e\r\n", r * std::cos(a), r * std::sin(a),
                  0.0);
    out << line;
  }
}

struct CircleResult {
  LONG success = -1;
  double form = -1, radius = -1, centreX = -1, centreY = -1, centreZ = -1;
  std::vector<double> x, y, z;
};

std::vector<double> Values(const VARIANT& array) {
  std::vector<double> values;
  if (array.vt != (VT_ARRAY | VT_R8))
    return values;
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(array.parray, 1, &lower);
  SafeArrayGetUBound(array.parray, 1, &upper);
  for (LONG i = lower; i <= upper; ++i) {
    double v = 0;
    SafeArrayGetElement(array.parray, &i, &v);
    values.push_back(v);
  }
  return values;
}

CircleResult GetDataByName(IDispatch* object, EDataType type) {
  CircleResult r;
  ComVariant x, y, z, success;
  EXPECT_EQ(CallByName(object, "GetData", DISPATCH_METHOD,
                       {Long(type), Ref(VT_R8, &r.form), Ref(VT_R8, &r.radius),
                        Ref(VT_R8, &r.centreX), Ref(VT_R8, &r.centreY), Ref(VT_R8, &r.centreZ),
                        Ref(VT_VARIANT, &x), Ref(VT_VARIANT, &y), Ref(VT_VARIANT, &z)},
                       &success),
            S_OK);
  r.success = success.lVal;
  r.x = Values(x);
  r.y = Values(y);
  r.z = Values(z);
  return r;
}

LONG StatusByName(IDispatch* object, const char* name, WORD flags) {
  ComVariant status;
  EXPECT_EQ(CallByName(object, name, flags, {}, &status), S_OK);
  EXPECT_EQ(status.vt, VT_I4);
  return status.lVal;
}

class ClientRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CircleDCModule().registerServer(), S_OK);
    ASSERT_EQ(SimulatorModule().registerServer(), S_OK);
    const std::filesystem::path runFolder = folder.Path() / "Default";
    std::filesystem::create_directories(runFolder);
    settingsFile =
        folder.Write("settings.ini",
                     "[MoveConfiguration]\r\nPositionalTolerance=0.01\r\n"
                     "[KT410]\r\nKnownPartScanAcceleration=200.0\r\n"
                     "[OmbrixDC]\r\nBufferPitch=0.1\r\nDCMapPitch=0.5\r\nDCSpeedFactor=5.0\r\n"
                     "DCStartAngle=90.0\r\nScanSettlingTime=0\r\nTimeOut=-1\r\nWorkingDirectory=" +
                         folder.Path().string() + "/\r\n");
    WriteScanFile(runFolder / "ScanSlow.dat", 0.004, 0.0);
    WriteScanFile(runFolder / "ScanFast.dat", 0.004, 0.02);
  }

  const IsolatedRegistry registry;
  TempFolder folder;
  std::filesystem::path settingsFile;
};

TEST_F(ClientRun, OfflineLearningRunThroughInvoke_DeliversEveryEventToTheSink) {
  // The controller's link comes from the simulated controller's own server module.
  CLSID linkClass = GUID_NULL;
  ASSERT_EQ(CLSIDFromProgID(u"VexaSim.Vexa_link", &linkClass), S_OK);
  ComPtr<IUnknown> link;
  ASSERT_EQ(CoCreateInstance(linkClass, nullptr, CLSCTX_ALL, IID_IUnknown,
                             link.ReleaseAndGetVoidAddressOf()),
            S_OK);
  ComPtr<IDispatch> object;
  ASSERT_EQ(CoCreateInstance(CLSID_Vexa_CircleDC, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                             object.ReleaseAndGetVoidAddressOf()),
            S_OK);
  IDispatch* o = object.Get();

  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(object.As(&container), S_OK);
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(
      container->FindConnectionPoint(DIID__IVexa_CircleDCEvents, point.ReleaseAndGetAddressOf()),
      S_OK);
  auto sink = MakeComObject<RecordingSink>();
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie), S_OK);
  EXPECT_NE(cookie, 0u);

  VARIANT linkArg;
  VariantInit(&linkArg);
  linkArg.vt = VT_UNKNOWN;
  linkArg.punkVal = link.Get();
  VARIANT noAxisStatus = linkArg;
  noAxisStatus.punkVal = nullptr;  // the component creates its own
  ComVariant initialised;
  ASSERT_EQ(
      CallByName(o, "InitialiseObject", DISPATCH_METHOD, {linkArg, noAxisStatus}, &initialised),
      S_OK);
  EXPECT_EQ(initialised.lVal, 1);

  ASSERT_EQ(PutByName(o, "FeatureRadius", Real(kFeatureRadius)), S_OK);
  ASSERT_EQ(PutTextByName(o, "TipRadius", "1.0"), S_OK);  // text converts like a number
  ASSERT_EQ(PutByName(o, "ScanDeflection", Real(0.3)), S_OK);
  ASSERT_EQ(PutByName(o, "SlowSpeed", Real(5.0)), S_OK);
  ASSERT_EQ(PutByName(o, "ModeParameter", Real(50.0)), S_OK);
  ASSERT_EQ(PutTextByName(o, "IniFilepath", settingsFile.string()), S_OK);
  ASSERT_EQ(PutByName(o, "OfflineTesting", Long(1)), S_OK);
  ASSERT_EQ(PutByName(o, "Learning", Long(E_OMBRIX_DC_CIRCLE_LEARNING)), S_OK);

  // Clockwise, start angle 90 degrees: the start lies on +X, 2 clear of the bore's wall.
  double x = -1, y = -1, z = -1;
  ComVariant started;
  ASSERT_EQ(CallByName(o, "GetStartPosition", DISPATCH_METHOD,
                       {Ref(VT_R8, &x), Ref(VT_R8, &y), Ref(VT_R8, &z)}, &started),
            S_OK);
  EXPECT_EQ(started.lVal, 1);
  EXPECT_NEAR(x, kFeatureRadius - kTipRadius - 2.0, 1e-12);
  EXPECT_NEAR(y, 0.0, 1e-12);
  EXPECT_EQ(z, 0.0);
  ASSERT_EQ(CallByName(o, "EnterProbeOffsets", DISPATCH_METHOD, {Real(0), Real(0), Real(0)}), S_OK);
  EXPECT_EQ(StatusByName(o, "Status", DISPATCH_PROPERTYGET), E_OMBRIX_DC_CIRCLE_NOT_INITIALISED);

  ASSERT_EQ(CallByName(o, "PerformCircle", DISPATCH_METHOD, {}), S_OK);
  ASSERT_TRUE(sink->WaitFor(DISPID_PerformCircleComplete, std::chrono::seconds(60)));
  LONG completed = 0, success = 0;
  for (int wait = 0; wait < 600 && completed == 0; ++wait) {
    ASSERT_EQ(CallByName(o, "GetPerformCircleComplete", DISPATCH_METHOD,
                         {Ref(VT_I4, &completed), Ref(VT_I4, &success)}),
              S_OK);
    if (!completed)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_EQ(completed, 1);
  EXPECT_EQ(success, 1);

  // Status 1 on the client's thread when the run is accepted; the stages, the end and the
  // completion on the run's own thread, in that order.
  const std::vector<RecordingSink::Event> events = sink->Events();
  EXPECT_EQ(sink->Problems(), std::vector<std::string>{});
  std::vector<std::pair<DISPID, LONG>> seen;
  for (const auto& e : events)
    seen.emplace_back(e.dispid, e.argument);
  EXPECT_EQ(seen, (std::vector<std::pair<DISPID, LONG>>{
                      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_INITIALISED},
                      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_LEARNING_SLOW_SCAN},
                      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_LEARNING_FAST_SCAN},
                      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_FINISHED},
                      {DISPID_PerformCircleComplete, 1}}));
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0].thread, std::this_thread::get_id());
  for (size_t i = 1; i < events.size(); ++i)
    EXPECT_NE(events[i].thread, std::this_thread::get_id());

  EXPECT_EQ(StatusByName(o, "Status", DISPATCH_PROPERTYGET), E_OMBRIX_DC_CIRCLE_FINISHED);
  EXPECT_EQ(StatusByName(o, "GetCurrentCircleStatus", DISPATCH_METHOD),
            E_OMBRIX_DC_CIRCLE_FINISHED);
  EXPECT_EQ(StatusByName(o, "GetLastError", DISPATCH_PROPERTYGET), 0);

  // The slow scan is the known bore: radius 10 about the origin, the tip radius added back,
  // with its three lobes of 0.004.
  const CircleResult slow = GetDataByName(o, E_OMBRIX_DC_CIRCLE_DATA_SLOW);
  ASSERT_EQ(slow.success, 1);
  EXPECT_NEAR(slow.radius, kFeatureRadius, 5e-3);
  EXPECT_NEAR(slow.centreX, 0.0, 1e-2);
  EXPECT_NEAR(slow.centreY, 0.0, 1e-2);
  ASSERT_FALSE(slow.x.empty());
  ASSERT_EQ(slow.y.size(), slow.x.size());
  ASSERT_EQ(slow.z.size(), slow.x.size());
  for (size_t i = 0; i < slow.x.size(); ++i) {
    EXPECT_NEAR(std::hypot(slow.x[i], slow.y[i]), kFeatureRadius, 0.005);
    EXPECT_EQ(slow.z[i], 0.0);
  }
  // The map learned from these two scans takes the fast scan's lag out again.
  const CircleResult fast = GetDataByName(o, E_OMBRIX_DC_CIRCLE_DATA_FAST);
  const CircleResult corrected = GetDataByName(o, E_OMBRIX_DC_CIRCLE_DATA_CORRECTED);
  ASSERT_EQ(fast.success, 1);
  ASSERT_EQ(corrected.success, 1);
  EXPECT_GT(fast.form, 3 * corrected.form);
  EXPECT_NEAR(corrected.form, slow.form, 0.2 * slow.form);

  ASSERT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  point.Reset();
  container.Reset();
  object.Reset();
  EXPECT_EQ(CircleDCModule().canUnloadNow(), S_OK);
  EXPECT_EQ(CircleDCModule().unregisterServer(), S_OK);
  EXPECT_EQ(SimulatorModule().unregisterServer(), S_OK);
}

// A sink that answers the event interface but has no dispatch interface to take the calls.
class SilentSink final : public ComObject<_IVexa_CircleDCEvents> {
 public:
  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    ++calls;
    return S_OK;
  }
  int calls = 0;
};

TEST_F(ClientRun, EventsSkipASinkWithoutDispatchAndReachTheOthersInConnectionOrder) {
  ComPtr<IDispatch> object;
  ASSERT_EQ(CoCreateInstance(CLSID_Vexa_CircleDC, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                             object.ReleaseAndGetVoidAddressOf()),
            S_OK);
  ComPtr<IConnectionPointContainer> container;
  object.As(&container);
  ComPtr<IConnectionPoint> point;
  container->FindConnectionPoint(DIID__IVexa_CircleDCEvents, point.ReleaseAndGetAddressOf());
  auto silent = MakeComObject<SilentSink>();
  auto first = MakeComObject<RecordingSink>();
  auto second = MakeComObject<RecordingSink>();
  DWORD cookies[3] = {};
  ASSERT_EQ(point->Advise(static_cast<_IVexa_CircleDCEvents*>(silent.Get()), &cookies[0]), S_OK);
  ASSERT_EQ(point->Advise(static_cast<IDispatch*>(first.Get()), &cookies[1]), S_OK);
  ASSERT_EQ(point->Advise(static_cast<IDispatch*>(second.Get()), &cookies[2]), S_OK);

  // A run refused at the start-position check fires OnStatusChange(1) and then (7).
  ComPtr<IUnknown> link;
  CLSID linkClass = GUID_NULL;
  ASSERT_EQ(CLSIDFromProgID(u"VexaSim.Vexa_link", &linkClass), S_OK);
  ASSERT_EQ(CoCreateInstance(linkClass, nullptr, CLSCTX_ALL, IID_IUnknown,
                             link.ReleaseAndGetVoidAddressOf()),
            S_OK);
  VARIANT linkArg;
  VariantInit(&linkArg);
  linkArg.vt = VT_UNKNOWN;
  linkArg.punkVal = link.Get();
  VARIANT noAxisStatus = linkArg;
  noAxisStatus.punkVal = nullptr;
  ASSERT_EQ(CallByName(object.Get(), "InitialiseObject", DISPATCH_METHOD, {linkArg, noAxisStatus}),
            S_OK);
  IDispatch* o = object.Get();
  PutByName(o, "FeatureRadius", Real(kFeatureRadius));
  PutByName(o, "TipRadius", Real(kTipRadius));
  PutByName(o, "ScanDeflection", Real(0.3));
  PutByName(o, "SlowSpeed", Real(5.0));
  PutTextByName(o, "IniFilepath", settingsFile.string());
  double x, y, z;
  ASSERT_EQ(CallByName(o, "GetStartPosition", DISPATCH_METHOD,
                       {Ref(VT_R8, &x), Ref(VT_R8, &y), Ref(VT_R8, &z)}),
            S_OK);
  CallByName(o, "EnterProbeOffsets", DISPATCH_METHOD, {Real(0), Real(0), Real(0)});
  // The simulated probe does not stand at the start position: the run stops before it starts.
  EXPECT_EQ(CallByName(o, "PerformCircle", DISPATCH_METHOD, {}), S_FALSE);

  auto dispids = [](RecordingSink& sink) {
    std::vector<std::pair<DISPID, LONG>> seen;
    for (const auto& e : sink.Events())
      seen.emplace_back(e.dispid, e.argument);
    return seen;
  };
  const std::vector<std::pair<DISPID, LONG>> expected = {
      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_INITIALISED},
      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_ERROR}};
  EXPECT_EQ(dispids(*first.Get()), expected);
  EXPECT_EQ(dispids(*second.Get()), expected);
  EXPECT_EQ(silent->calls, 0);
  for (DWORD cookie : cookies)
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
}

}  // namespace
