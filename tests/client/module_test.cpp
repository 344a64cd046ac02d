// The module's exported entry points: the class factory, unloading, and registration in the
// registry store as a client's setup tool does it.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/com/registry_store.h"
#include "tests/client/client_support.h"

namespace {

const std::string kClassKey = "CLSID\\{B84CFBEC-6B23-11D7-9362-005004553512}";

// Each module's factory serves only its own classes, a new object per request and none
// aggregated. The module stays loaded while a live object or a server lock holds it; a factory
// alone does not.
TEST(ClientModule, FactoriesMakeNewObjects_OnlyLiveObjectsOrServerLocksHoldTheModule) {
  const IsolatedRegistry registry;
  ASSERT_EQ(SimulatorModule().registerServer(), S_OK);
  CLSID link = GUID_NULL;
  ASSERT_EQ(CLSIDFromProgID(u"VexaSim.Vexa_link", &link), S_OK);
  for (const auto& [module, clsid] :
       {std::pair{&CircleDCModule(), CLSID_Vexa_CircleDC}, std::pair{&SimulatorModule(), link}}) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(module->getClassObject(IID_IVexa_CircleDC, IID_IClassFactory, &p),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(p, nullptr);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(
        module->getClassObject(clsid, IID_IClassFactory, factory.ReleaseAndGetVoidAddressOf()),
        S_OK);
    EXPECT_EQ(module->canUnloadNow(), S_OK);
    ComPtr<IUnknown> first, second;
    for (ComPtr<IUnknown>* object : {&first, &second}) {
      ASSERT_EQ(
          factory->CreateInstance(nullptr, IID_IUnknown, object->ReleaseAndGetVoidAddressOf()),
          S_OK);
    }
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_EQ(factory->CreateInstance(first.Get(), IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(module->canUnloadNow(), S_FALSE);  // live objects hold it
    first.Reset();
    second.Reset();
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(module->canUnloadNow(), S_FALSE);  // the lock holds it
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(module->canUnloadNow(), S_OK);
  }
  EXPECT_EQ(SimulatorModule().unregisterServer(), S_OK);
  // Objects of the component share no properties.
  ComPtr<IVexa_CircleDC> first = CreateFromFactory(), second = CreateFromFactory();
  first->put_FeatureRadius(12.0);
  double radius = -1;
  second->get_FeatureRadius(&radius);
  EXPECT_EQ(radius, 0.0);
}

TEST(ClientModule, RegistrationMakesTheClassCreatableAndUnregistrationRemovesItAll) {
  const IsolatedRegistry registry;
  // The class created by its id, as a client on the platform creates it.
  const auto create = [](void** object) {
    return CoCreateInstance(CLSID_Vexa_CircleDC, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                            object);
  };
  void* p = nullptr;
  // Another server's class, and a key under this class left by an older registration.
  const std::string other = "CLSID\\{00000000-0000-0000-0000-000000000001}";
  UpdateClassesRoot([&](ClassesRoot& root) {
    root.SetValue(other + "\\InprocServer32", "", "/x.so");
    root.CreateKey(kClassKey + "\\Stale");
    return S_OK;
  });

  ASSERT_EQ(CircleDCModule().registerServer(), S_OK);
  ASSERT_EQ(SimulatorModule().registerServer(), S_OK);
  ClassesRoot root;
  ASSERT_EQ(ReadClassesRoot(&root), S_OK);
  EXPECT_FALSE(root.KeyExists(kClassKey + "\\Stale"));
  const std::optional<std::string> module = root.Value(kClassKey + "\\InprocServer32");
  ASSERT_TRUE(module);
  EXPECT_TRUE(std::filesystem::equivalent(*module, OMBRIXDC_MODULE_PATH)) << *module;
  EXPECT_EQ(root.Value("Corvane.Vexa_CircleDC\\CurVer"), "Corvane.Vexa_CircleDC.1");
  EXPECT_EQ(root.Value(std::string("CLSID\\") + FormatGuid(CLSID_Vexa_CircleDC) + "\\ProgID"),
            "Corvane.Vexa_CircleDC.1");

  ComPtr<IDispatch> object;
  ASSERT_EQ(create(object.ReleaseAndGetVoidAddressOf()), S_OK);
  // A client may find the class id from the ProgID first.
  CLSID fromProgId = GUID_NULL;
  EXPECT_EQ(CLSIDFromProgID(u"Corvane.Vexa_CircleDC", &fromProgId), S_OK);
  EXPECT_EQ(fromProgId, CLSID_Vexa_CircleDC);
  object.Reset();

  ASSERT_EQ(CircleDCModule().unregisterServer(), S_OK);
  ASSERT_EQ(SimulatorModule().unregisterServer(), S_OK);
  ASSERT_EQ(ReadClassesRoot(&root), S_OK);
  for (const std::string& key : root.KeyPaths()) {
    EXPECT_EQ(key.find("Corvane.Vexa_CircleDC"), std::string::npos) << key;
    EXPECT_EQ(key.find("B84CFB"), std::string::npos) << key;  // library and interfaces too
  }
  EXPECT_EQ(root.Subkeys("CLSID"), (std::vector<std::string>{other.substr(6)}));
  EXPECT_EQ(create(&p), REGDB_E_CLASSNOTREG);
}

// A handler on the run's thread releases the last reference, so that thread destroys the
// object and then returns through the module's code: a host that unloads unused servers may
// be told yes only once that thread has ended.
TEST(ClientModule, UnloadWaitsForTheRunThreadThatDestroyedTheObject) {
  class ReleasingSink final : public SinkStub<IDispatch> {
   public:
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
      // On the run's thread, once PerformCircle has returned to the client.
      if (std::this_thread::get_id() != client) {
        armed.wait(false);
        if (IUnknown* last = held.exchange(nullptr)) {
          last->Release();
        }
      }
      return S_OK;
    }
    std::atomic<IUnknown*> held{nullptr};
    std::atomic<bool> armed{false};
    const std::thread::id client = std::this_thread::get_id();
  };
  // The threads still running: one that has ended may be listed a moment longer, as a zombie.
  const auto threads = [] {
    int32_t running = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
      std::string stat;
      std::getline(std::ifstream(task.path() / "stat"), stat);
      const size_t state = stat.rfind(") ");
      running += state != std::string::npos && stat[state + 2] != 'Z' && stat[state + 2] != 'X';
    }
    return running;
  };
  const IsolatedRegistry registry;
  const TempFolder folder;
  ASSERT_EQ(SimulatorModule().registerServer(), S_OK);
  ComPtr<IUnknown> link = SimulatedLink();
  const std::filesystem::path settings = WriteOfflineExample(folder);
  std::thread([] {}).join();  // a sanitizer's runtime starts a thread of its own with the first
  const auto before = threads();
  for (int32_t round = 0; round < 50; ++round) {
    ComPtr<IVexa_CircleDC> object = CreateFromFactory();
    const ComPtr<ReleasingSink> sink = MakeComObject<ReleasingSink>();
    DWORD cookie = 0;
    {
      ComPtr<IConnectionPointContainer> container;
      ComPtr<IConnectionPoint> point;
      ASSERT_EQ(object.As(&container), S_OK);
      ASSERT_EQ(container->FindConnectionPoint(DIID__IVexa_CircleDCEvents,
                                               point.ReleaseAndGetAddressOf()),
                S_OK);
      ASSERT_EQ(point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie), S_OK);
    }
    ASSERT_EQ(PrepareOfflineLearning(object.Get(), link.Get(), settings), 1);
    ASSERT_EQ(CallByName(object.Get(), "PerformCircle", DISPATCH_METHOD, {}), S_OK);
    sink->held = object.Detach();
    sink->armed = true;
    sink->armed.notify_all();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (CircleDCModule().canUnloadNow() != S_OK && std::chrono::steady_clock::now() < end) {
      std::this_thread::yield();
    }
    ASSERT_EQ(sink->held.load(), nullptr) << "the run did not release the object";
    ASSERT_EQ(threads(), before) << "unloading allowed while the run's thread went on";
  }
  link.Reset();
  EXPECT_EQ(SimulatorModule().unregisterServer(), S_OK);
}

}  // namespace
