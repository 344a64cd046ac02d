#pragma once
// What an automation client of the component has: the public header, the platform's object
// services, and the server modules loaded by path at run time. Nothing of the component is
// linked into the client.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "include/CoVexa_OmbrixDC.h"
#include "platform/com/class_registry.h"
#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"
#include "platform/com/module_loader.h"
#include "platform/com/object.h"
#include "platform/com/store_class_lookup.h"
#include "tests/support/dispatch_calls.h"
#include "tests/support/isolated_registry.h"
#include "tests/support/run_settings.h"
#include "tests/support/variant_values.h"

// The exported entry points of a server module.
struct ServerModule {
  DllGetClassObjectFunction getClassObject = nullptr;
  DllEntryFunction canUnloadNow = nullptr;
  DllEntryFunction registerServer = nullptr;
  DllEntryFunction unregisterServer = nullptr;
};

inline ServerModule LoadModule(const char* path) {
  void* handle = nullptr;
  std::string error;
  if (FAILED(LoadServerModule(path, &handle, &error))) {
    ADD_FAILURE() << error;
    return {};
  }
  const auto find = [handle](const char* name) {
    return reinterpret_cast<DllEntryFunction>(FindModuleExport(handle, name));
  };
  return {
      reinterpret_cast<DllGetClassObjectFunction>(FindModuleExport(handle, "DllGetClassObject")),
      find("DllCanUnloadNow"), find("DllRegisterServer"), find("DllUnregisterServer")};
}

inline const ServerModule& CircleDCModule() {
  static const ServerModule module = LoadModule(OMBRIXDC_MODULE_PATH);
  return module;
}

inline const ServerModule& SimulatorModule() {
  static const ServerModule module = LoadModule(VEXASIM_MODULE_PATH);
  return module;
}

// A new object from the module's class factory.
inline ComPtr<IVexa_CircleDC> CreateFromFactory() {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(CircleDCModule().getClassObject(CLSID_Vexa_CircleDC, IID_IClassFactory,
                                            factory.ReleaseAndGetVoidAddressOf()),
            S_OK);
  ComPtr<IVexa_CircleDC> object;
  if (factory) {
    EXPECT_EQ(
        factory->CreateInstance(nullptr, IID_IVexa_CircleDC, object.ReleaseAndGetVoidAddressOf()),
        S_OK);
  }
  return object;
}

// Records every event, and any way the call differs from how the component is to fire events.
class RecordingSink final : public SinkStub<IDispatch> {
 public:
  using Event = std::pair<DISPID, LONG>;  // the argument -1 when the event has none
  HRESULT Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT*,
                 EXCEPINFO*, UINT*) override {
    std::lock_guard lock(mutex_);
    const UINT expectedArgs = dispid == DISPID_OnGraphicsClosed ? 0 : 1;
    if (riid != IID_NULL || lcid != LOCALE_USER_DEFAULT || flags != DISPATCH_METHOD || !params ||
        params->cNamedArgs != 0 || params->cArgs != expectedArgs ||
        (expectedArgs == 1 && params->rgvarg[0].vt != VT_I4)) {
      problems_.push_back("event " + std::to_string(dispid) + " called the wrong way");
    }
    events_.push_back({dispid, expectedArgs ? params->rgvarg[0].lVal : -1});
    return S_OK;
  }
  std::pair<std::vector<Event>, std::vector<std::string>> EventsAndProblems() {
    std::lock_guard lock(mutex_);
    return {events_, problems_};
  }

 private:
  std::mutex mutex_;
  std::vector<Event> events_;
  std::vector<std::string> problems_;
};

// A sink that answers the event interface but has no dispatch interface to take the calls.
class SilentSink final : public SinkStub<_IVexa_CircleDCEvents> {
 public:
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    ++calls;
    return S_OK;
  }
  int calls = 0;
};

// A link of the simulated controller, made by its ProgID (its module registered).
inline ComPtr<IUnknown> SimulatedLink() {
  CLSID linkClass = GUID_NULL;
  ComPtr<IUnknown> link;
  EXPECT_EQ(CLSIDFromProgID(u"VexaSim.Vexa_link", &linkClass), S_OK);
  EXPECT_EQ(CoCreateInstance(linkClass, nullptr, CLSCTX_ALL, IID_IUnknown,
                             link.ReleaseAndGetVoidAddressOf()),
            S_OK);
  return link;
}

// Connects `o` to `link` and prepares it, through Invoke, for a learning run of the offline
// example with `settings`; gives GetStartPosition's success.
inline LONG PrepareOfflineLearning(IDispatch* o, IUnknown* link,
                                   const std::filesystem::path& settings) {
  double start[3];
  return PrepareThroughInvoke(o, link,
                              {{"OfflineTesting", Long(1)},
                               {"Learning", Long(1)},
                               {"FeatureRadius", Real(8.0)},
                               {"TipRadius", Real(1.5)},
                               {"ScanDeflection", Real(0.3)},
                               {"SlowSpeed", Real(5.0)},
                               {"ModeParameter", Real(30.0)},
                               {"IniFilepath", Text(settings.string())}},
                              start);
}

// An object connected to a link of the simulated controller (its module registered in an
// isolated store) that has learnt the offline example from its raw scan files, all through
// Invoke, with three sinks connected before the run: a silent one, then two recording ones.
class OfflineClientRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SimulatorModule().registerServer(), S_OK);
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(object.As(&container), S_OK);
    ASSERT_EQ(
        container->FindConnectionPoint(DIID__IVexa_CircleDCEvents, point.ReleaseAndGetAddressOf()),
        S_OK);
    ASSERT_EQ(point->Advise(static_cast<_IVexa_CircleDCEvents*>(silent.Get()), &cookies[0]), S_OK);
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(first.Get()), &cookies[1]), S_OK);
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(second.Get()), &cookies[2]), S_OK);

    link = SimulatedLink();
    ASSERT_EQ(PrepareOfflineLearning(o, link.Get(), WriteOfflineExample(folder)), 1);
    ASSERT_EQ(CallByName(o, "PerformCircle", DISPATCH_METHOD, {}), S_OK);
    // The run is over before its PerformCircleComplete goes out (a handler may start the next
    // run), so the poll goes on until the event has reached the last sink too.
    const auto delivered = [&] {
      const auto events = second->EventsAndProblems().first;
      return !events.empty() && events.back().first == DISPID_PerformCircleComplete;
    };
    LONG completed = 0, success = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!(completed && delivered()) && std::chrono::steady_clock::now() < end) {
      CallByName(o, "GetPerformCircleComplete", DISPATCH_METHOD,
                 {Ref(VT_I4, &completed), Ref(VT_I4, &success)});
    }
    ASSERT_EQ(success, 1);
  }
  void TearDown() override {
    for (DWORD cookie : cookies) {
      point->Unadvise(cookie);
    }
    EXPECT_EQ(SimulatorModule().unregisterServer(), S_OK);
  }

  const IsolatedRegistry registry;
  TempFolder folder;
  ComPtr<IVexa_CircleDC> object = CreateFromFactory();
  IDispatch* o = object.Get();
  ComPtr<IUnknown> link;
  ComPtr<IConnectionPoint> point;
  ComPtr<SilentSink> silent = MakeComObject<SilentSink>();
  ComPtr<RecordingSink> first = MakeComObject<RecordingSink>(),
                        second = MakeComObject<RecordingSink>();
  DWORD cookies[3] = {};
};
