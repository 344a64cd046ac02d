// Files written whole or not at all: atomic replacement, the map pair's commit, temporaries.
#include "src/files/file_output.h"

#include <gtest/gtest.h>

#include <atomic>
#include <iterator>
#include <optional>
#include <thread>
#include <vector>

#include "tests/files/golden_files.h"
#include "tests/support/temp_folder.h"

namespace ombrixdc {
namespace {

int FileCount(const std::filesystem::path& folder) {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(FileOutput, AtomicWriteLeavesOnlyTheNewFile) {
  TempFolder folder;
  const auto path = folder.Write("_circle1.rsm", "old map");
  EXPECT_TRUE(WriteTextFileAtomically(path, "new map\r\n"));
  EXPECT_EQ(FileText(path), "new map\r\n");
  EXPECT_EQ(FileCount(folder.Path()), 1);

  // A target that cannot be replaced: the write fails and leaves nothing behind.
  std::filesystem::create_directories(folder.Path() / "_circle2.rsm" / "inside");
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

// A folder under a pair's name is never replaced or removed; the old pair stays.
TEST(FileOutput, MapPairIsNotWrittenOverAFolder) {
  for (const auto& [folderName, other] :
       {std::pair{"_circle1.rsm", "_circle1.rsd"}, std::pair{"_circle1.rsd", "_circle1.rsm"}}) {
    TempFolder folder;
    const auto map = folder.Path() / "_circle1.rsm";
    const auto data = folder.Path() / "_circle1.rsd";
    std::filesystem::create_directory(folder.Path() / folderName);
    folder.Write(other, "old");
    EXPECT_FALSE(WriteMapFilePairAtomically(map, "new map", data, "new data")) << folderName;
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / folderName));
    EXPECT_EQ(FileText(folder.Path() / other), "old");
    EXPECT_EQ(FileCount(folder.Path()), 2);
  }
}

// Writers of one file, threads of one process here, each write their own temporary: every
// write succeeds and the file is always one writer's whole text.
TEST(FileOutput, ConcurrentAtomicWritesNeverShareATemporary) {
  TempFolder folder;
  const auto path = folder.Path() / "results.dat";
  const std::string texts[2] = {std::string(20000, 'a'), std::string(30000, 'b')};
  std::atomic<int> failures{0};
  std::vector<std::thread> writers;
  for (const std::string& text : texts) {
    writers.emplace_back([&] {
      for (int i = 0; i < 50; ++i) {
        failures += WriteTextFileAtomically(path, text) ? 0 : 1;
        const std::string now = FileText(path);
        failures += now == texts[0] || now == texts[1] ? 0 : 1;
      }
    });
  }
  for (std::thread& writer : writers) {
    writer.join();
  }
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(FileCount(folder.Path()), 1);
}

TEST(FileOutput, TemporaryTargetNamesTheFileATemporaryWasFor) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"_circle1.rsm.4711.0.tmp", "_circle1.rsm"},
      {"_circle12.RSD.1.22.TMP", "_circle12.RSD"},
      {"_circle1.rsm.tmp", "_circle1.rsm"},  // as earlier versions named them
      {"_circle1.rsm", std::nullopt},
      {".tmp", std::nullopt},
  };
  for (const auto& [name, target] : cases) {
    EXPECT_EQ(TemporaryTarget(name), target) << name;
  }
}

}  // namespace
}  // namespace ombrixdc
