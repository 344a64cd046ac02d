#include "platform/com/registry_store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/support/isolated_registry.h"

namespace {

// No test of this program reads or writes the user's real registry store.
const IsolatedRegistry programRegistry;

std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(RegistryStore, FailedEditOrDamagedStoreLeavesTheFileAlone) {
  const IsolatedRegistry registry;
  UpdateClassesRoot([](ClassesRoot& r) {
    r.CreateKey("Kept");
    return S_OK;
  });
  const std::string before = FileText(registry.File());
  EXPECT_EQ(UpdateClassesRoot([](ClassesRoot& r) {
              r.DeleteTree("Kept");
              return E_ACCESSDENIED;
            }),
            E_ACCESSDENIED);
  EXPECT_EQ(FileText(registry.File()), before);

  std::ofstream(registry.File(), std::ios::binary) << "[HKEY_CLASSES_ROOT\\Half";
  ClassesRoot root;
  EXPECT_EQ(ReadClassesRoot(&root), REGDB_E_READREGDB);
  bool edited = false;
  EXPECT_EQ(UpdateClassesRoot([&](ClassesRoot&) {
              edited = true;
              return S_OK;
            }),
            REGDB_E_READREGDB);
  EXPECT_FALSE(edited);
  EXPECT_EQ(FileText(registry.File()), "[HKEY_CLASSES_ROOT\\Half");  // not overwritten
}

// Threads stand in for client processes: the store is locked and replaced whole per update.
TEST(RegistryStore, ConcurrentWritersLoseNothingAndLeaveNoOtherFile) {
  const IsolatedRegistry registry;
  ClassesRoot root;
  root.CreateKey("Leftover");
  ASSERT_EQ(ReadClassesRoot(&root), S_OK);
  EXPECT_TRUE(root.KeyPaths().empty());  // a missing file is an empty root
  std::vector<std::thread> writers;
  for (int w = 0; w < 3; ++w) {
    writers.emplace_back([w] {
      for (int k = 0; k < 20; ++k) {
        UpdateClassesRoot([&](ClassesRoot& r) {
          r.SetValue("Writer" + std::to_string(w) + "\\Key" + std::to_string(k), "", "v");
          return S_OK;
        });
      }
    });
  }
  for (std::thread& writer : writers) {
    writer.join();
  }
  ASSERT_EQ(ReadClassesRoot(&root), S_OK);
  for (int w = 0; w < 3; ++w) {
    EXPECT_EQ(root.Subkeys("Writer" + std::to_string(w)).size(), 20u);
  }
  // Nothing but the store is left in the folder: no temporary file, no lock file.
  const auto folder = std::filesystem::directory_iterator(registry.File().parent_path());
  EXPECT_EQ(std::distance(begin(folder), end(folder)), 1);
}

}  // namespace
