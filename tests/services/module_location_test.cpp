#include "src/services/module_location.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "include/CoVexa_OmbrixDC.h"
#include "platform/com/guid.h"
#include "platform/com/registry_store.h"
#include "tests/support/isolated_registry.h"

namespace ombrixdc {

namespace {

// No test of this program reads or writes the user's real registry store.
const IsolatedRegistry programRegistry;

TEST(ModuleLocation, RegisteredPathIntoABufferThatFits_ElseTheLoadedModule) {
  const IsolatedRegistry registry;
  char buffer[4096] = "untouched";
  EXPECT_EQ(RegisteredModulePath(), std::nullopt);
  ASSERT_TRUE(ReadModuleLocation(buffer, sizeof buffer));
  // Linked into this test program, the code's module is the program itself.
  EXPECT_EQ(std::filesystem::path(buffer), std::filesystem::canonical("/proc/self/exe"));

  const std::string path = "/opt/corvane/vexa/libombrixdc.so";
  UpdateClassesRoot([&](ClassesRoot& root) {
    root.SetValue("CLSID\\" + FormatGuid(CLSID_Vexa_CircleDC) + "\\InprocServer32", "", path);
    return S_OK;
  });
  std::strcpy(buffer, "untouched");
  EXPECT_FALSE(ReadModuleLocation(buffer, path.size()));  // no room for the terminator
  EXPECT_EQ(std::string(buffer), "untouched");
  ASSERT_TRUE(ReadModuleLocation(buffer, path.size() + 1));
  EXPECT_EQ(std::string(buffer), path);
}

}  // namespace

}  // namespace ombrixdc
