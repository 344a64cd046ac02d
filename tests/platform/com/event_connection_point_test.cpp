// Event connection points: an event source's list of sinks.
#include "platform/com/event_connection_point.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/com/object.h"
#include "tests/support/variant_values.h"

namespace {

// A sink that writes each call into a shared log: "<name>:<dispid>(<args, natural order>)".
struct LoggingSink final : ComObject<IDispatch> {
  LoggingSink(std::string name, std::vector<std::string>* log) : name(std::move(name)), log(log) {}
  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 UINT*) override {
    std::string entry = name + ":" + std::to_string(dispid) + "(";
    for (UINT i = params->cArgs; i-- > 0;) {
      entry += std::to_string(params->rgvarg[i].lVal) + (i ? "," : "");
    }
    log->push_back(entry + ")");
    onCall();
    return S_OK;
  }
  std::string name;
  std::vector<std::string>* log;
  std::function<void()> onCall = [] {};  // what the handler does after logging
};

// Owns a connection point the way an event source does; its events come through IDispatch.
struct TestSource final : ComObject<IConnectionPointContainer> {
  HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT FindConnectionPoint(REFIID, IConnectionPoint**) override { return E_NOTIMPL; }
  EventConnectionPoint point{this, IID_IDispatch};
};

TEST(EventConnectionPoint, FiresToEverySinkInConnectionOrderWithArgumentsLastFirst) {
  std::vector<std::string> log;
  auto source = MakeComObject<TestSource>();
  EventConnectionPoint& point = source->point;
  auto first = MakeComObject<LoggingSink>("first", &log);
  auto second = MakeComObject<LoggingSink>("second", &log);
  DWORD cookie1 = 0, cookie2 = 0;
  ASSERT_EQ(point.Advise(static_cast<IDispatch*>(second.Get()), &cookie2), S_OK);
  ASSERT_EQ(point.Advise(static_cast<IDispatch*>(first.Get()), &cookie1), S_OK);
  EXPECT_NE(cookie1, cookie2);
  ComPtr<IUnknown> unknown;
  ComPtr<IDispatch> dispatch;
  EXPECT_EQ(point.QueryInterface(IID_IUnknown, unknown.ReleaseAndGetVoidAddressOf()), S_OK);
  EXPECT_EQ(point.QueryInterface(IID_IDispatch, dispatch.ReleaseAndGetVoidAddressOf()),
            E_NOINTERFACE);

  VARIANT args[2] = {Long(10), Long(20)};
  point.FireEvent(7, args, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"second:7(10,20)", "first:7(10,20)"}));

  // The connections in their order; Skip passes over one.
  ComPtr<IEnumConnections> connections;
  ASSERT_EQ(point.EnumConnections(connections.ReleaseAndGetAddressOf()), S_OK);
  CONNECTDATA data{};
  EXPECT_EQ(connections->Skip(1), S_OK);
  ASSERT_EQ(connections->Next(1, &data, nullptr), S_OK);
  EXPECT_EQ(data.dwCookie, cookie1);
  data.pUnk->Release();
  EXPECT_EQ(connections->Skip(1), S_FALSE);

  log.clear();
  ASSERT_EQ(point.Unadvise(cookie2), S_OK);
  EXPECT_EQ(point.Unadvise(cookie2), CONNECT_E_NOCONNECTION);
  point.FireEvent(3, nullptr, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"first:3()"}));

  // Disconnected while the event goes round (by the first sink's handler): the second sink
  // hears no more of it.
  ASSERT_EQ(point.Advise(static_cast<IDispatch*>(second.Get()), &cookie2), S_OK);
  log.clear();
  first->onCall = [&] { point.UnadviseAll(); };
  point.FireEvent(4, nullptr, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"first:4()"}));
  point.FireEvent(5, nullptr, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"first:4()"}));
}

}  // namespace
