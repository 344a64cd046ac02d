#include "src/services/run_directory.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace ombrixdc {

TEST(RunDirectory, IsFormedByPlainConcatenation) {
  EXPECT_EQ(FormRunDirectory(std::string("/data/"), std::string("Default")), "/data/Default");
  EXPECT_EQ(FormRunDirectory(std::string("/data"), std::string("Default")), "/dataDefault");
  EXPECT_EQ(FormRunDirectory(std::nullopt, std::string("Default")), "Default");
  EXPECT_EQ(FormRunDirectory(std::string("/data/"), std::nullopt), "/data/");
}

TEST(RunDirectory, IsCreatedWithItsParents_WhicheverSeparatorItUses) {
  TempFolder folder;
  const std::string base = folder.Path().string();
  const std::string slashes = FormRunDirectory(base + "/Data/", std::string("Default"));
  CreateRunDirectory(slashes);
  EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "Data" / "Default"));
  EXPECT_TRUE(IsAccessibleFolder(slashes));

  const std::string backslashes = base + "\\Other\\Deeper\\Default";
  CreateRunDirectory(backslashes);
  EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "Other" / "Deeper" / "Default"));
  EXPECT_TRUE(IsAccessibleFolder(backslashes));
}

TEST(RunDirectory, AFileOrNothingIsNotAnAccessibleFolder) {
  TempFolder folder;
  EXPECT_FALSE(IsAccessibleFolder(folder.Write("file", "x").string()));
  EXPECT_FALSE(IsAccessibleFolder((folder.Path() / "missing").string()));
  EXPECT_FALSE(IsAccessibleFolder(std::nullopt));
  EXPECT_FALSE(IsAccessibleFolder(std::string()));
}

}  // namespace ombrixdc
