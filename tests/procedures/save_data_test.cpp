// SaveData after a real (offline) run: where the data sets file goes and how it fails.
#include "tests/procedures/procedure_fixture.h"

namespace ombrixdc {

namespace {

class SaveDataTest : public OfflineRunTest {
 protected:
  void SetUp() override {
    OfflineRunTest::SetUp();
    ASSERT_EQ(RunOffline(E_OMBRIX_DC_CIRCLE_LEARNING).back(), "complete 1");
  }
  // success, the code GetLastError then gives.
  std::pair<LONG, uint32_t> Save(const OptionalText& name) {
    LONG success = -1;
    EXPECT_EQ(component->SaveData(name, &success), S_OK);
    return {success, component->GetLastError()};
  }
  std::vector<std::string> DataFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(RunDir())) {
      const std::string name = entry.path().filename().string();
      if (name.find("Scan") != 0 && name != "System.dat" && name.find("_circle") != 0) {
        names.push_back(name);
      }
    }
    return names;
  }
};

}  // namespace

TEST_F(SaveDataTest, Naming_AddsDatToABareName_AndRefusesAnythingButABareName) {
  struct Case {
    OptionalText name;
    LONG success;
    uint32_t error;
    std::vector<std::string> created;
  };
  // The file name rules themselves are the data sets file's; here that SaveData follows them.
  const Case cases[] = {
      {"results", 1, 0u, {"results.dat"}},
      {"sub/results", 0, 0x83100006u, {}},
      {std::nullopt, 0, 0x83100006u, {}},
  };
  for (const Case& c : cases) {
    for (const std::string& name : DataFiles()) {
      fs::remove(RunDir() / name);
    }
    EXPECT_EQ(Save(c.name), std::make_pair(c.success, c.error)) << c.name.value_or("(absent)");
    EXPECT_EQ(DataFiles(), c.created) << c.name.value_or("(absent)");
  }
}

TEST_F(SaveDataTest, FailsWithError7_WithoutSlowDataOrWhenTheFileCannotBeCreated) {
  component->RunDirectory.Set((folder.Path() / "missing").string());
  EXPECT_EQ(Save("results"), std::make_pair(0, 0x83100007u));

  CircleDCComponent fresh;
  LONG success = -1;
  fresh.RunDirectory.Set(folder.Path().string());
  fresh.SaveData("results", &success);
  EXPECT_EQ(success, 0);
  EXPECT_EQ(fresh.GetLastError(), 0x83100007u);
  EXPECT_FALSE(fs::exists(folder.Path() / "results.dat"));
}

}  // namespace ombrixdc
