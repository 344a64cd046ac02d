// Where the component finds its module and its run directory.
#include "src/services/module_location.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "include/CoVexa_OmbrixDC.h"
#include "platform/com/guid.h"
#include "platform/com/registry_store.h"
#include "src/services/run_directory.h"
#include "tests/support/isolated_registry.h"
#include "tests/support/temp_folder.h"

namespace ombrixdc {

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

TEST(RunDirectory, IsFormedByPlainConcatenation) {
  EXPECT_EQ(FormRunDirectory(std::string("/data"), std::string("Default")), "/dataDefault");
  EXPECT_EQ(FormRunDirectory(std::nullopt, std::string("Default")), "Default");
  EXPECT_EQ(FormRunDirectory(std::string("/data/"), std::nullopt), "/data/");
}

// Created with its parents, whichever separator it uses; a file or nothing is not a folder.
TEST(RunDirectory, IsCreatedWithItsParents_WhicheverSeparatorItUses) {
  TempFolder folder;
  const std::string backslashes = folder.Path().string() + "\\Other\\Deeper\\Default";
  CreateRunDirectory(backslashes);
  EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "Other" / "Deeper" / "Default"));
  EXPECT_TRUE(IsAccessibleFolder(backslashes));
  EXPECT_FALSE(IsAccessibleFolder(folder.Write("file", "x").string()));
  EXPECT_FALSE(IsAccessibleFolder((folder.Path() / "missing").string()));
  EXPECT_FALSE(IsAccessibleFolder(std::nullopt));
  EXPECT_FALSE(IsAccessibleFolder(std::string()));
}

}  // namespace ombrixdc
