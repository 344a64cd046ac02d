#include "src/services/run_directory.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace ombrixdc {

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
