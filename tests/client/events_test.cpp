// Events across the binary boundary: a client's sinks connected through the connection point
// hear the component's events, late bound, in connection order.
#include "platform/com/store_class_lookup.h"
#include "tests/client/client_support.h"
#include "tests/support/isolated_registry.h"
#include "tests/support/temp_folder.h"

namespace {

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

std::vector<std::pair<DISPID, LONG>> Seen(RecordingSink& sink) {
  std::vector<std::pair<DISPID, LONG>> seen;
  for (const auto& e : sink.Events()) {
    seen.emplace_back(e.dispid, e.argument);
  }
  return seen;
}

TEST(ClientEvents, SkipASinkWithoutDispatchAndReachTheOthersInConnectionOrder) {
  const IsolatedRegistry registry;
  TempFolder folder;
  ASSERT_EQ(SimulatorModule().registerServer(), S_OK);
  std::filesystem::create_directories(folder.Path() / "Default");
  const std::filesystem::path settings =
      folder.Write("settings.ini",
                   "[MoveConfiguration]\r\nPositionalTolerance=0.01\r\n"
                   "[KT410]\r\nKnownPartScanAcceleration=200.0\r\n"
                   "[OmbrixDC]\r\nBufferPitch=0.1\r\nDCMapPitch=0.5\r\nDCSpeedFactor=5.0\r\n"
                   "DCStartAngle=90.0\r\nScanSettlingTime=0\r\nTimeOut=-1\r\nWorkingDirectory=" +
                       folder.Path().string() + "/\r\n");
  ComPtr<IDispatch> object = CreateFromFactory();
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(object.As(&container), S_OK);
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(
      container->FindConnectionPoint(DIID__IVexa_CircleDCEvents, point.ReleaseAndGetAddressOf()),
      S_OK);
  auto silent = MakeComObject<SilentSink>();
  auto first = MakeComObject<RecordingSink>();
  auto second = MakeComObject<RecordingSink>();
  DWORD cookies[3] = {};
  ASSERT_EQ(point->Advise(static_cast<_IVexa_CircleDCEvents*>(silent.Get()), &cookies[0]), S_OK);
  ASSERT_EQ(point->Advise(static_cast<IDispatch*>(first.Get()), &cookies[1]), S_OK);
  ASSERT_EQ(point->Advise(static_cast<IDispatch*>(second.Get()), &cookies[2]), S_OK);

  // The simulated controller's link, from its own server module, through the store.
  CLSID linkClass = GUID_NULL;
  ASSERT_EQ(CLSIDFromProgID(u"VexaSim.Vexa_link", &linkClass), S_OK);
  ComPtr<IUnknown> link;
  ASSERT_EQ(CoCreateInstance(linkClass, nullptr, CLSCTX_ALL, IID_IUnknown,
                             link.ReleaseAndGetVoidAddressOf()),
            S_OK);
  VARIANT linkArg;
  VariantInit(&linkArg);
  linkArg.vt = VT_UNKNOWN;
  linkArg.punkVal = link.Get();
  VARIANT noAxisStatus = linkArg;
  noAxisStatus.punkVal = nullptr;  // the component creates its own
  IDispatch* o = object.Get();
  ASSERT_EQ(CallByName(o, "InitialiseObject", DISPATCH_METHOD, {linkArg, noAxisStatus}), S_OK);
  PutByName(o, "FeatureRadius", Real(10.0));
  PutByName(o, "TipRadius", Real(1.0));
  PutByName(o, "ScanDeflection", Real(0.3));
  PutByName(o, "SlowSpeed", Real(5.0));
  PutTextByName(o, "IniFilepath", settings.string());
  double x, y, z;
  ASSERT_EQ(CallByName(o, "GetStartPosition", DISPATCH_METHOD,
                       {Ref(VT_R8, &x), Ref(VT_R8, &y), Ref(VT_R8, &z)}),
            S_OK);
  CallByName(o, "EnterProbeOffsets", DISPATCH_METHOD, {Real(0), Real(0), Real(0)});
  // The simulated probe does not stand at the start position: OnStatusChange(1), then (7).
  EXPECT_EQ(CallByName(o, "PerformCircle", DISPATCH_METHOD, {}), S_FALSE);
  const std::vector<std::pair<DISPID, LONG>> expected = {
      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_INITIALISED},
      {DISPID_OnStatusChange, E_OMBRIX_DC_CIRCLE_ERROR}};
  EXPECT_EQ(Seen(*first.Get()), expected);
  EXPECT_EQ(Seen(*second.Get()), expected);
  EXPECT_EQ(first->Problems(), std::vector<std::string>{});
  EXPECT_EQ(silent->calls, 0);

  ASSERT_EQ(point->Unadvise(cookies[1]), S_OK);
  EXPECT_EQ(point->Unadvise(cookies[1]), CONNECT_E_NOCONNECTION);
  for (DWORD cookie : {cookies[0], cookies[2]}) {
    point->Unadvise(cookie);
  }
  EXPECT_EQ(SimulatorModule().unregisterServer(), S_OK);
}

}  // namespace
