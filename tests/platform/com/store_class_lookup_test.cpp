#include "platform/com/store_class_lookup.h"

#include <gtest/gtest.h>

#include "platform/com/class_registry.h"
#include "platform/com/registry_store.h"
#include "tests/support/isolated_registry.h"

namespace {

constexpr CLSID kClass = {
    0x5B7C3A10, 0x1D2E, 0x4F30, {0x9A, 0x8B, 0x7C, 0x6D, 0x5E, 0x4F, 0x30, 0x21}};

void Write(const std::string& key, const std::string& value) {
  UpdateClassesRoot([&](ClassesRoot& root) {
    root.SetValue(key, "", value);
    return S_OK;
  });
}

TEST(StoreClassLookup, ProgIdsNameTheirClassDirectlyOrThroughCurVerAndServersMustLoad) {
  const IsolatedRegistry registry;
  Write("Maker.Widget.1\\CLSID", FormatGuid(kClass));
  Write("Maker.Widget\\CurVer", "Maker.Widget.1");
  Write("Maker.Broken\\CLSID", "not a class id");
  const std::pair<const char16_t*, HRESULT> cases[] = {{u"Maker.Widget.1", S_OK},
                                                       {u"maker.widget", S_OK},
                                                       {u"Maker.Broken", CO_E_CLASSSTRING},
                                                       {u"Maker.Unknown", CO_E_CLASSSTRING}};
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

}  // namespace
