#include "src/component/automation/registration.h"

#include <gtest/gtest.h>

#include "platform/com/registry_store.h"
#include "src/component/automation/public_interface.h"
#include "tests/support/isolated_registry.h"

namespace ombrixdc {

namespace {

// No test of this program reads or writes the user's real registry store.
const IsolatedRegistry programRegistry;

const std::string kClassKey = "CLSID\\" + FormatGuid(CLSID_Vexa_CircleDC);

ClassesRoot Store() {
  ClassesRoot root;
  EXPECT_EQ(ReadClassesRoot(&root), S_OK);
  return root;
}

// The keys a client relies on (ProgIDs, class key, module path) are checked by the client suite
// through the module's own entry points; here what only the registrar can show.
TEST(CircleDCRegistration, UnregisteringLeavesOnlyTheClassesRootKeysOfOthers) {
  const IsolatedRegistry registry;
  UpdateClassesRoot([](ClassesRoot& root) {
    root.SetValue("CLSID\\{00000000-0000-0000-0000-000000000001}\\InprocServer32", "", "/x.so");
    return S_OK;
  });
  ASSERT_EQ(RegisterCircleDCServer("/first/libombrixdc.so"), S_OK);
  UpdateClassesRoot([](ClassesRoot& root) {
    root.CreateKey(kClassKey + "\\Stale");
    return S_OK;
  });
  ASSERT_EQ(RegisterCircleDCServer("/second/libombrixdc.so"), S_OK);  // moved module
  EXPECT_FALSE(Store().KeyExists(kClassKey + "\\Stale"));
  EXPECT_EQ(Store().Value(kClassKey + "\\InprocServer32"), "/second/libombrixdc.so");

  ASSERT_EQ(UnregisterCircleDCServer(), S_OK);
  const ClassesRoot root = Store();
  for (const std::string& key : root.KeyPaths()) {
    EXPECT_EQ(key.find("Corvane.Vexa_CircleDC"), std::string::npos) << key;
    EXPECT_EQ(key.find("B84CFB"), std::string::npos) << key;
  }
  EXPECT_EQ(root.Subkeys("CLSID"),
            (std::vector<std::string>{"{00000000-0000-0000-0000-000000000001}"}));
  EXPECT_EQ(UnregisterCircleDCServer(), S_OK);  // a second time finds nothing to do
}

}  // namespace

}  // namespace ombrixdc
