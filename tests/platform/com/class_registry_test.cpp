// The class registry: the process's table of classes and their factories, and the store
// shared between processes (its text form, its file, and the lookups of class names and
// servers in it).
#include "platform/com/class_registry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/guid.h"
#include "platform/com/object.h"
#include "platform/com/registry_store.h"
#include "platform/com/store_class_lookup.h"
#include "tests/support/isolated_registry.h"

namespace {

// No test of this program reads or writes the user's real registry store.
const IsolatedRegistry programRegistry;

// An object with no interface but IUnknown, handed over with its one reference.
struct Widget final : ComObject<IUnknown> {};
IUnknown* NewWidget() {
  return MakeComObject<Widget>().Detach();
}

// Each test uses its own class ids: the table is process-wide.
CLSID TestClass(uint32_t n) {
  return {0xC1A55000 + n, 0x0C0B, 0x4E11, {0xA0, 0x5E, 0, 0, 0, 0, 0, static_cast<uint8_t>(n)}};
}

HRESULT Create(REFCLSID clsid) {
  ComPtr<IUnknown> object;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                          object.ReleaseAndGetVoidAddressOf());
}

TEST(ClassRegistry, CreatesOnlyWhatItCanHandOverLeaksNothingAndRevokesOnce) {
  const CLSID clsid = TestClass(1);
  int calls = 0;
  const DWORD cookie = RegisterInProcessClass(clsid, [&calls]() -> IUnknown* {
    ++calls;
    return NewWidget();
  });
  EXPECT_EQ(Create(clsid), S_OK);
  EXPECT_EQ(Create(TestClass(2)), REGDB_E_CLASSNOTREG);  // ids are told apart
  const ULONG alive = ComObjectsAlive();
  void* out = &out;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(calls, 1);
  // An interface the object lacks: created once, then released rather than leaked.
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(ComObjectsAlive(), alive);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG);
  EXPECT_EQ(Create(clsid), REGDB_E_CLASSNOTREG);
}

// A factory's locks, and a factory that holds no module, are seen through the module's
// unloading in the client suite; here an unlock without a lock, which would wrap the count.
TEST(ClassRegistry, FactoryRefusesAnUnlockWithoutALock) {
  const ULONG locks = ComServerLocks();
  auto factory = ComPtr<IClassFactory>::Attach(NewClassFactory(NewWidget));
  if (locks == 0) {
    EXPECT_EQ(factory->LockServer(FALSE), E_UNEXPECTED);
  }
  EXPECT_EQ(ComServerLocks(), locks);
}

std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

constexpr CLSID kClass = {
    0x5B7C3A10, 0x1D2E, 0x4F30, {0x9A, 0x8B, 0x7C, 0x6D, 0x5E, 0x4F, 0x30, 0x21}};

void Write(const std::string& key, const std::string& value) {
  UpdateClassesRoot([&](ClassesRoot& root) {
    root.SetValue(key, "", value);
    return S_OK;
  });
}

TEST(RegistryStore, FailedEditOrDamagedStoreLeavesTheFileAlone) {
  const IsolatedRegistry registry;
  Write("Kept", "v");
  const std::string before = FileText(registry.File());
  EXPECT_EQ(UpdateClassesRoot([](ClassesRoot& r) {
              r.DeleteTree("Kept");
              return E_ACCESSDENIED;
            }),
            E_ACCESSDENIED);
  EXPECT_EQ(FileText(registry.File()), before);

  std::ofstream(registry.File(), std::ios::binary) << "[HKEY_CLASSES_ROOT\\Half";
  ClassesRoot root;
  EXPECT_EQ(ReadClassesRoot(&root), REGDB_E_READREGDB);
  bool edited = false;
  EXPECT_EQ(UpdateClassesRoot([&](ClassesRoot&) {
              edited = true;
              return S_OK;
            }),
            REGDB_E_READREGDB);
  EXPECT_FALSE(edited);
  EXPECT_EQ(FileText(registry.File()), "[HKEY_CLASSES_ROOT\\Half");  // not overwritten
}

// Threads stand in for client processes: the store is locked and replaced whole per update.
TEST(RegistryStore, ConcurrentWritersLoseNothingAndLeaveNoOtherFile) {
  const IsolatedRegistry registry;
  ClassesRoot root;
  root.CreateKey("Leftover");
  ASSERT_EQ(ReadClassesRoot(&root), S_OK);
  EXPECT_TRUE(root.KeyPaths().empty());  // a missing file is an empty root
  std::vector<std::jthread> writers;
  for (int w = 0; w < 3; ++w) {
    writers.emplace_back([w] {
      for (int k = 0; k < 20; ++k) {
        Write("Writer" + std::to_string(w) + "\\Key" + std::to_string(k), "v");
      }
    });
  }
  writers.clear();  // joins them
  ASSERT_EQ(ReadClassesRoot(&root), S_OK);
  for (int w = 0; w < 3; ++w) {
    EXPECT_EQ(root.Subkeys("Writer" + std::to_string(w)).size(), 20u);
  }
  // Nothing but the store is left in the folder: no temporary file, no lock file.
  const auto folder = std::filesystem::directory_iterator(registry.File().parent_path());
  EXPECT_EQ(std::distance(begin(folder), end(folder)), 1);
}

TEST(StoreClassLookup, ProgIdsNameTheirClassThroughCurVerAndServersMustLoad) {
  const IsolatedRegistry registry;
  Write("Maker.Widget.1\\CLSID", FormatGuid(kClass));
  Write("Maker.Widget\\CurVer", "Maker.Widget.1");
  Write("Maker.Broken\\CLSID", "not a class id");
  const std::pair<const char16_t*, HRESULT> cases[] = {{u"maker.widget", S_OK},
                                                       {u"Maker.Broken", CO_E_CLASSSTRING}};
  for (const auto& [progId, expected] : cases) {
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(progId, &clsid), expected);
    EXPECT_EQ(clsid, expected == S_OK ? kClass : GUID_NULL);
  }

  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object),
            REGDB_E_CLASSNOTREG);
  Write("CLSID\\" + FormatGuid(kClass) + "\\InprocServer32",
        (registry.File().parent_path() / "no-such-module.so").string());
  EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), CO_E_DLLNOTFOUND);
  EXPECT_EQ(object, nullptr);
}

TEST(ClassesRoot, TextRoundTripKeepsAwkwardValuesAndNamesIgnoreCase) {
  ClassesRoot root;
  root.SetValue("K", "", "C:\\Program Files\\a \"quoted\" name\r\nsecond line");
  root.SetValue("K", "Empty", "");
  root.CreateKey("K\\NoValues");
  for (const char* bad : {"", "a\\\\b", "\\a"}) {
    EXPECT_FALSE(root.CreateKey(bad)) << bad;
  }
  const std::string text = root.Format();
  EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\K]\n"
                      "@=\"C:\\\\Program Files\\\\a \\\"quoted\\\" name\\r\\nsecond line\"\n"),
            std::string::npos);
  std::string error;
  const std::optional<ClassesRoot> back = ClassesRoot::Parse(text, &error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->KeyPaths(), root.KeyPaths());
  EXPECT_EQ(back->Value("K"), root.Value("K"));
  EXPECT_EQ(back->Value("k", "EMPTY"), "");  // names ignore case
  EXPECT_EQ(back->Format(), text);
}

TEST(ClassesRoot, ParseAcceptsCrLfAndCommentsAndRejectsDamage) {
  EXPECT_TRUE(ClassesRoot::Parse("; note\r\n\r\n[HKEY_CLASSES_ROOT\\A]\r\n@=\"x\"\r\n"));
  const char* damaged[] = {"@=\"value before any key\"\n", "[HKEY_LOCAL_MACHINE\\A]\n",
                           "[HKEY_CLASSES_ROOT\\A]\n@=\"bad \\q escape\"\n",
                           "[HKEY_CLASSES_ROOT\\A]\n@=unquoted\"\n"};
  for (const char* text : damaged) {
    std::string error;
    EXPECT_FALSE(ClassesRoot::Parse(text, &error)) << text;
    EXPECT_NE(error.find("line "), std::string::npos) << text;
  }
}

}  // namespace
