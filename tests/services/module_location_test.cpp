#include "src/services/module_location.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "include/CoVexa_OmbrixDC.h"
#include "platform/com/guid.h"
#include "platform/com/registry_store.h"
#include "tests/support/isolated_registry.h"

namespace ombrixdc {

namespace {

// No test of this program reads or writes the user's real registry store.
const IsolatedRegistry programRegistry;

void RegisterPath(const std::string& path) {
  UpdateClassesRoot([&](ClassesRoot& root) {
    root.SetValue("CLSID\\" + FormatGuid(CLSID_Vexa_CircleDC) + "\\InprocServer32", "", path);
    return S_OK;
  });
}

TEST(ModuleLocation, ReadsTheRegisteredPathIntoABufferThatFits) {
  const IsolatedRegistry registry;
  const std::string path = "/opt/corvane/vexa/libombrixdc.so";
  RegisterPath(path);
  EXPECT_EQ(RegisteredModulePath(), path);
  char buffer[128];
  ASSERT_TRUE(ReadModuleLocation(buffer, path.size() + 1));
  EXPECT_EQ(std::string(buffer), path);
}

TEST(ModuleLocation, BufferShorterThanThePath_FailsAndLeavesTheBufferAlone) {
  const IsolatedRegistry registry;
  const std::string path = "/opt/corvane/vexa/libombrixdc.so";
  RegisterPath(path);
  char buffer[64] = "untouched";
  EXPECT_FALSE(ReadModuleLocation(buffer, path.size()));  // no room for the terminator
  EXPECT_EQ(std::string(buffer), "untouched");
}

TEST(ModuleLocation, NothingRegistered_FallsBackToTheLoadedModule) {
  const IsolatedRegistry registry;
  EXPECT_EQ(RegisteredModulePath(), std::nullopt);
  char buffer[4096];
  ASSERT_TRUE(ReadModuleLocation(buffer, sizeof buffer));
  // Linked into this test program, the code's module is the program itself.
  EXPECT_EQ(std::filesystem::path(buffer), std::filesystem::canonical("/proc/self/exe"));
}

}  // namespace

}  // namespace ombrixdc
