// Ageing of stored map pairs: DeleteOldMapFiles alone, and the worker's use of TimeOut.
#include <chrono>

#include "src/procedures/map_search.h"
#include "tests/procedures/procedure_fixture.h"

namespace ombrixdc {

namespace {

using std::chrono::minutes;

// Writes a file last written `age` ago (a negative age lies in the future).
void WriteAged(const TempFolder& folder, const std::string& name, std::chrono::seconds age) {
  const fs::path path = folder.Write(name, "x");
  fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

std::vector<std::string> Remaining(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(DeleteOldMapFiles, OneHourLimit_DeletesPairsOlderThan60Minutes) {
  TempFolder folder;
  struct File {
    const char* name;
    std::chrono::seconds age;
  };
  const File files[] = {
      {"_circle1.rsd", minutes(61)},  {"_circle1.rsm", minutes(61)},   // old pair: goes
      {"_circle2.rsd", minutes(60)},  {"_circle2.rsm", minutes(60)},   // exactly 60: stays
      {"_circle3.rsd", minutes(-10)}, {"_circle3.rsm", minutes(-10)},  // future: stays
      {"_circle4.rsd", minutes(120)}, {"_circle4.rsm", minutes(0)},    // young map goes with it
      {"_circle5.rsm", minutes(120)},                                  // old map alone: goes
      {"notes.txt", minutes(600)},                                     // not a map file
  };
  for (const File& f : files) {
    WriteAged(folder, f.name, f.age);
  }

  EXPECT_EQ(DeleteOldMapFiles(folder.Path(), 1), 5);
  EXPECT_EQ(Remaining(folder),
            (std::vector<std::string>{"_circle2.rsd", "_circle2.rsm", "_circle3.rsd",
                                      "_circle3.rsm", "notes.txt"}));

  // Without any circle data file nothing is deleted, however old.
  TempFolder mapsOnly;
  WriteAged(mapsOnly, "_circle1.rsm", minutes(600));
  EXPECT_EQ(DeleteOldMapFiles(mapsOnly.Path(), 1), 0);
  EXPECT_EQ(Remaining(mapsOnly), (std::vector<std::string>{"_circle1.rsm"}));
}

// A stored map two hours old: with TimeOut 1 the run deletes it first and learns anew; with
// TimeOut -1 (no cleanup) the run uses it.
TEST_F(OfflineRunTest, TimeOut_DecidesWhetherAnOldMapIsDeletedBeforeTheSearch) {
  struct Case {
    int32_t timeOut;
    Texts events;
  };
  const Case cases[] = {
      {1, {"status 1", "status 2", "status 3", "status 5", "complete 1"}},
      {-1, {"status 1", "status 4", "status 5", "complete 1"}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_LEARNING).back(), "complete 1");
    for (const char* name : {"_circle1.rsm", "_circle1.rsd"}) {
      fs::last_write_time(RunDir() / name, fs::file_time_type::clock::now() - minutes(120));
    }
    // Set after the settings file was read, which it then overrides.
    NewSink();
    component->TimeOut.Set(c.timeOut);
    component->Learning.Set(E_OMBRIX_DC_CIRCLE_AUTO);
    component->PerformCircle();
    component->WaitForRuns();
    EXPECT_EQ(sink->Texts(), c.events) << "TimeOut " << c.timeOut;
    EXPECT_EQ(MapFiles(), (std::vector<std::string>{"_circle1.rsd", "_circle1.rsm"}));
  }
}

}  // namespace ombrixdc
