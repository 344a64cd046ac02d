// The module's exported entry points: the class factory, unloading, and registration in the
// registry store as a client's setup tool does it.
#include <filesystem>

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
  EXPECT_EQ(create(&p), REGDB_E_CLASSNOTREG);
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

}  // namespace
