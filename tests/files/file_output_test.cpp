#include "src/files/file_output.h"

#include <gtest/gtest.h>

#include <iterator>

#include "tests/files/golden_files.h"
#include "tests/support/temp_folder.h"

namespace ombrixdc {

namespace {

int FileCount(const std::filesystem::path& folder) {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

}  // namespace

TEST(FileOutput, WritesBytesUnchangedAndReplacesTheFile) {
  TempFolder folder;
  const auto path = folder.Write("ScanSlow.dat", "old content that is longer");
  EXPECT_TRUE(WriteTextFile(path, "a\r\nb\n"));
  EXPECT_EQ(FileText(path), "a\r\nb\n");
  EXPECT_FALSE(WriteTextFile(folder.Path() / "missing" / "x.dat", "a"));
}

TEST(FileOutput, AtomicWriteLeavesOnlyTheNewFile) {
  TempFolder folder;
  const auto path = folder.Write("_circle1.rsm", "old map");
  EXPECT_TRUE(WriteTextFileAtomically(path, "new map\r\n"));
  EXPECT_EQ(FileText(path), "new map\r\n");
  EXPECT_EQ(FileCount(folder.Path()), 1);

  // A target that cannot be replaced: the write fails and leaves nothing behind.
  std::filesystem::create_directory(folder.Path() / "_circle2.rsm");
  std::filesystem::create_directory(folder.Path() / "_circle2.rsm" / "inside");
  EXPECT_FALSE(WriteTextFileAtomically(folder.Path() / "_circle2.rsm", "map"));
  EXPECT_EQ(FileCount(folder.Path()), 2);
}

TEST(FileOutput, MapPairIsReplacedOnlyWhenBothFilesAreWritten) {
  TempFolder folder;
  const auto map = folder.Write("_circle1.rsm", "old map");
  const auto data = folder.Write("_circle1.rsd", "old data");
  EXPECT_TRUE(WriteMapFilePairAtomically(map, "new map", data, "new data"));
  EXPECT_EQ(FileText(map), "new map");
  EXPECT_EQ(FileText(data), "new data");
  EXPECT_EQ(FileCount(folder.Path()), 2);

  // The circle data file cannot be written: the old pair stays as it was.
  EXPECT_FALSE(WriteMapFilePairAtomically(map, "newer map", folder.Path() / "no" / "x.rsd", "d"));
  EXPECT_EQ(FileText(map), "new map");
  EXPECT_EQ(FileCount(folder.Path()), 2);
}

}  // namespace ombrixdc
