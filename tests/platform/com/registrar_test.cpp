#include "platform/com/registrar.h"

#include <gtest/gtest.h>

#include "platform/com/type_library_registration.h"

namespace {

constexpr RegistrationValue kBoth[] = {{"ThreadingModel", "Both"}};
constexpr RegistrationEntry kScript[] = {
    {"Maker.Widget", "Widget Class"},
    {"Maker.Widget\\CLSID", "{1}"},
    {"CLSID", std::nullopt, RegistrationFlag::NoRemove},
    {"CLSID\\{1}", "Widget Class", RegistrationFlag::ForceRemove},
    {"CLSID\\{1}\\InprocServer32", "%MODULE%", RegistrationFlag::None, kBoth},
    {"CLSID\\{1}\\Help", "see %MODULE%.txt"},
};

TEST(Registrar, AppliesTheScriptWithTheModulePathAndRemovesItHonouringTheFlags) {
  ClassesRoot root;
  root.SetValue("CLSID\\{2}\\InprocServer32", "", "/other.so");  // another server's class
  root.SetValue("Maker.Widget\\Extra", "", "left by someone else");
  ApplyRegistration(root, kScript, "/opt/lib/libwidget.so");
  EXPECT_EQ(root.Value("Maker.Widget\\CLSID"), "{1}");
  EXPECT_EQ(root.Value("CLSID\\{1}\\InprocServer32", "ThreadingModel"), "Both");
  EXPECT_EQ(root.Value("CLSID\\{1}\\Help"), "see /opt/lib/libwidget.so.txt");
  EXPECT_EQ(root.Value("CLSID"), std::nullopt);

  root.CreateKey("CLSID\\{1}\\AddedLater");  // goes with its ForceRemove parent
  RemoveRegistration(root, kScript);
  EXPECT_FALSE(root.KeyExists("CLSID\\{1}"));
  EXPECT_TRUE(root.KeyExists("CLSID\\{2}\\InprocServer32"));
  EXPECT_FALSE(root.KeyExists("Maker.Widget\\CLSID"));
  EXPECT_TRUE(root.KeyExists("Maker.Widget\\Extra"));  // a plain key stays while not empty
  root.DeleteTree("CLSID\\{2}");
  RemoveRegistration(root, kScript);
  EXPECT_TRUE(root.KeyExists("CLSID"));  // NoRemove, even when empty
}

TEST(TypeLibraryRegistration, RecordsLibraryAndInterfacesAndErasesThemAgain) {
  const TypeLibraryInterface interfaces[] = {
      {{0x11, 0, 0, {0}}, "IWidget", false},
      {{0x12, 0, 0, {0}}, "_IWidgetEvents", true},
  };
  const TypeLibraryRecord library{{0x10, 0, 0, {0}},         1,         0, 0x409,
                                  "Widget 1.0 Type Library", interfaces};
  const std::string lib = "TypeLib\\" + FormatGuid(library.libid);
  const std::string dual = "Interface\\" + FormatGuid(interfaces[0].iid);
  const std::string events = "Interface\\" + FormatGuid(interfaces[1].iid);

  ClassesRoot root;
  RecordTypeLibrary(root, library, "/opt/lib/libwidget.so");
  EXPECT_EQ(root.Value(lib + "\\1.0"), "Widget 1.0 Type Library");
  EXPECT_EQ(root.Value(lib + "\\1.0\\409\\win64"), "/opt/lib/libwidget.so");
  EXPECT_EQ(root.Value(lib + "\\1.0\\HELPDIR"), "/opt/lib");
  EXPECT_EQ(root.Value(dual + "\\ProxyStubClsid32"), "{00020424-0000-0000-C000-000000000046}");
  EXPECT_EQ(root.Value(events + "\\ProxyStubClsid32"), "{00020420-0000-0000-C000-000000000046}");
  EXPECT_EQ(root.Value(dual + "\\TypeLib", "Version"), "1.0");

  // Another version of the library and an interface since claimed by another library stay.
  root.SetValue(lib + "\\2.0", "", "Widget 2.0");
  root.SetValue(events + "\\TypeLib", "", "{SOMEONE-ELSE}");
  EraseTypeLibrary(root, library);
  EXPECT_FALSE(root.KeyExists(lib + "\\1.0"));
  EXPECT_TRUE(root.KeyExists(lib + "\\2.0"));
  EXPECT_FALSE(root.KeyExists(dual));
  EXPECT_TRUE(root.KeyExists(events));
}

}  // namespace
