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

TEST(CircleDCRegistration, WritesTheProgIdsClassKeyAndTypeLibrary) {
  const IsolatedRegistry registry;
  ASSERT_EQ(RegisterCircleDCServer("/opt/corvane/lib/libombrixdc.so"), S_OK);
  const ClassesRoot root = Store();
  const std::string clsid = "{B84CFBEC-6B23-11D7-9362-005004553512}";
  EXPECT_EQ(root.Value("Corvane.Vexa_CircleDC.1"), "Vexa_CircleDC Class");
  EXPECT_EQ(root.Value("Corvane.Vexa_CircleDC.1\\CLSID"), clsid);
  EXPECT_EQ(root.Value("Corvane.Vexa_CircleDC"), "Vexa_CircleDC Class");
  EXPECT_EQ(root.Value("Corvane.Vexa_CircleDC\\CLSID"), clsid);
  EXPECT_EQ(root.Value("Corvane.Vexa_CircleDC\\CurVer"), "Corvane.Vexa_CircleDC.1");
  EXPECT_EQ(root.Value(kClassKey), "Vexa_CircleDC Class");
  EXPECT_EQ(root.Value(kClassKey + "\\ProgID"), "Corvane.Vexa_CircleDC.1");
  EXPECT_EQ(root.Value(kClassKey + "\\VersionIndependentProgID"), "Corvane.Vexa_CircleDC");
  EXPECT_TRUE(root.KeyExists(kClassKey + "\\Programmable"));
  EXPECT_EQ(root.Value(kClassKey + "\\Programmable"), std::nullopt);
  EXPECT_EQ(root.Value(kClassKey + "\\InprocServer32"), "/opt/corvane/lib/libombrixdc.so");
  EXPECT_EQ(root.Value(kClassKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(root.Value(kClassKey + "\\TypeLib"), "{B84CFBDF-6B23-11D7-9362-005004553512}");
  EXPECT_EQ(root.Value("TypeLib\\{B84CFBDF-6B23-11D7-9362-005004553512}\\1.0"),
            "CoVexa_OmbrixDC 1.0 Type Library");
  EXPECT_EQ(root.Value("TypeLib\\{B84CFBDF-6B23-11D7-9362-005004553512}\\1.0\\409\\win64"),
            "/opt/corvane/lib/libombrixdc.so");
  EXPECT_EQ(root.Value("Interface\\{B84CFBEB-6B23-11D7-9362-005004553512}"), "IVexa_CircleDC");
  EXPECT_EQ(root.Value("Interface\\{B84CFBED-6B23-11D7-9362-005004553512}"),
            "_IVexa_CircleDCEvents");
}

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
