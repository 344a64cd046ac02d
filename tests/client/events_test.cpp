// Events across the binary boundary: a client's sinks connected through the connection point
// hear the component's events, late bound, in connection order.
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

  IDispatch* o = object.Get();
  const ComPtr<IUnknown> link = ConnectToSimulator(o, folder.Path(), 10.0, 1.0, "90.0");
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
