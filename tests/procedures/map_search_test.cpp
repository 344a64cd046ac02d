// Which stored map a run uses and which number a new map takes, through offline runs of the
// example: maps of one bore learnt with different filter numbers or probe deflections are
// told apart by the header comparison; and the ageing of stored pairs.
#include "src/procedures/map_search.h"
#include <chrono>
#include <numeric>
#include <regex>
#include <tuple>
#include "src/engine/map_grid.h"
#include "tests/procedures/procedure_fixture.h"

namespace ombrixdc {

namespace {

using Names = std::vector<std::string>;

// Offline runs of the example: the raw scan files and System.dat copied into the run
// directory, the feature's parameters set as for the example (its MaxScanSpeed 100, FilterNumber
// 20 and FilterMethod 1 are a new component's).
class MapSearchTest : public ProcedureTest {
 protected:
  void SetUp() override {
    ProcedureTest::SetUp();
    settingsFile = WriteOfflineExample(folder);
    Initialise();
    SetGoodParameters();  // with the example's settings file, deflection and slow speed
    component->OfflineTesting.Set(1);
    component->FeatureRadius.Set(8.0);
    component->TipRadius.Set(1.5);
    component->ModeParameter.Set(30.0);
  }
  void Learn(int32_t filterNumber, double deflection) {
    component->FilterNumber.Set(filterNumber);
    component->ScanDeflection.Set(deflection);
    ASSERT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_LEARNING).back(), "complete 1");
  }
  std::string MapText(int32_t n) const {
    return FileText(RunDir() / ("_circle" + std::to_string(n) + ".rsm"));
  }
};

const Names kThreePairs = {"_circle1.rsd", "_circle1.rsm", "_circle2.rsd",
                           "_circle2.rsm", "_circle3.rsd", "_circle3.rsm"};
const Texts kCompensated = {"status 1", "status 4", "status 5", "complete 1"};
const Texts kNoMap = {"status 1", "complete 0"};

using std::chrono::minutes;

// Writes a file last written `age` ago (a negative age lies in the future).
void WriteAged(const TempFolder& folder, const std::string& name, std::chrono::seconds age) {
  const fs::path path = folder.Write(name, "x");
  fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

}  // namespace

TEST_F(MapSearchTest, Overwrite_ReplacesTheMapOfTheSameFeatureOnlyWhenSet) {
  // Overwrite, the map files left, the number whose map now holds FilterNumber 10.
  const std::tuple<int32_t, Names, int32_t> cases[] = {
      {E_OMBRIX_DC_CIRCLE_NO_OVERWRITE_EXISTING_MAP, kThreePairs, 3},
      {E_OMBRIX_DC_CIRCLE_OVERWRITE_EXISTING_MAP, Names(kThreePairs.begin(), kThreePairs.end() - 2),
       2},
  };
  for (const auto& [overwrite, files, replaced] : cases) {
    Restart();
    component->Overwrite.Set(E_OMBRIX_DC_CIRCLE_OVERWRITE_EXISTING_MAP);
    Learn(20, 0.4);  // another feature: a different deflection
    Learn(20, 0.3);  // this feature

    // The same feature again with another filter: the relaxed comparison ignores the filter.
    component->Overwrite.Set(overwrite);
    Learn(10, 0.3);
    EXPECT_EQ(MapFiles(), files) << "Overwrite " << overwrite;
    EXPECT_NE(MapText(replaced).find("FilterNumber:  10\r\n"), std::string::npos);
  }
}

TEST_F(MapSearchTest, CompensatedRun_ReadsTheMapPairItFound_AndTheSearchStopsAtAGap) {
  component->Overwrite.Set(E_OMBRIX_DC_CIRCLE_NO_OVERWRITE_EXISTING_MAP);
  Learn(10, 0.3);
  const DataSet slowOfMap1 = component->Results()->dataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW];
  Learn(15, 0.3);
  Learn(20, 0.3);
  const DataSet slowOfMap3 = component->Results()->dataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW];
  ASSERT_EQ(MapFiles(), kThreePairs);

  // Forget what the learning left behind, so that only the files can supply it.
  CircleDCComponentTestAccess::PublishResults(*component, {});
  EXPECT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_NO_LEARNING), kCompensated);
  EXPECT_EQ(ProcessRunControlState().mapNumber.load(), 3);
  const DataSet slow = component->Results()->dataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW];
  EXPECT_LE(LargestDifference(slow, slowOfMap3), 1e-14);
  EXPECT_GT(LargestDifference(slow, slowOfMap1), 1e-6);  // map 1 would have been told from map 3

  // Without map 2 the search never reaches map 3, and a new map takes number 2.
  fs::remove(RunDir() / "_circle2.rsm");
  fs::remove(RunDir() / "_circle2.rsd");
  EXPECT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_NO_LEARNING), kNoMap);
  EXPECT_EQ(component->GetLastError(), 0x83100009u);
  EXPECT_EQ(ProcessRunControlState().mapNumber.load(), 0);
  ASSERT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_AUTO).back(), "complete 1");
  EXPECT_EQ(MapFiles(), kThreePairs);
}

// A calibrating mode scans fast at its own fixed speed (50, where run control chose
// min(MaxScanSpeed 100, 2 * DCSpeedFactor 2 * radius 8) = 32), and its map records that: the
// next run finds the map, it neither fails for want of one nor learns another.
TEST_F(MapSearchTest, CalibratingMode_FindsTheMapItLearnt) {
  component->Mode.Set(E_OMBRIX_DC_CIRCLE_MODE_CAL_FORM);
  component->Overwrite.Set(E_OMBRIX_DC_CIRCLE_NO_OVERWRITE_EXISTING_MAP);
  Learn(20, 0.3);
  EXPECT_NE(MapText(1).find("FastSpeed:  50.000000\r\n"), std::string::npos);
  for (const int32_t learning : {E_OMBRIX_DC_CIRCLE_NO_LEARNING, E_OMBRIX_DC_CIRCLE_AUTO}) {
    EXPECT_EQ(RunToEnd(learning), kCompensated) << learning;
    EXPECT_EQ(component->GetLastError(), 0u);
    EXPECT_EQ(ProcessRunControlState().mapNumber.load(), 1);
  }
  EXPECT_EQ(MapFiles(), (Names{"_circle1.rsd", "_circle1.rsm"}));
}

// A stored map pair damaged after it was written: the compensated run fails with error 6 and
// Status 7; a header that no longer reads as the feature's is passed over (no map: error 9).
TEST_F(MapSearchTest, DamagedOrMissingStoredFiles_FailTheCompensatedRun) {
  // Each damage is done to the stored map file, or through its name to its partner.
  using Damage = std::function<void(const fs::path& map)>;
  const auto replaceAll = [](const char* from, const char* to) -> Damage {
    return [from, to](const fs::path& map) {
      const std::string text = std::regex_replace(FileText(map), std::regex(from), to);
      std::ofstream(map, std::ios::binary) << text;
    };
  };
  const Texts failed = {"status 1", "status 4", "status 7", "complete 0"};
  // What is damaged, the events, the error and what its reason names.
  const std::tuple<const char*, Damage, Texts, uint32_t, const char*> cases[] = {
      {"circle data file missing",
       [](const fs::path& map) { fs::remove(fs::path(map).replace_extension(".rsd")); }, failed,
       0x83100006u, "stored map pair 1 in "},
      {"map data truncated",
       [](const fs::path& map) { fs::resize_file(map, fs::file_size(map) / 2); }, failed,
       0x83100006u, "the map file is damaged"},
      // Every block cut to its first half, its count to match: every number reads, but the map
      // covers half the revolution.
      {"map cut to half the grid", replaceAll("DataSize:  100", "DataSize:  50"), failed,
       0x83100006u, "not on the angle grid of its pitch and radius"},
      {"radius unreadable", replaceAll("Radius:  8.000000", "Radius:  eight"), kNoMap, 0x83100009u,
       "no stored map"},
  };
  for (const auto& [name, damage, events, error, reason] : cases) {
    Restart();
    Learn(20, 0.3);
    damage(RunDir() / "_circle1.rsm");
    EXPECT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_NO_LEARNING), events) << name;
    EXPECT_NE(component->LastErrorReason().find(reason), std::string::npos)
        << name << ": " << component->LastErrorReason();
    EXPECT_EQ(component->GetLastError(), error) << name;
  }
}

// A feature within the map's radius tolerance of the learnt one has a grid of its own (8.9 mm:
// 111 angles where 8 mm had 100). The reference read from the circle data file is carried onto
// it with the map, so that the six data sets share one grid, as the data sets file and the
// viewer take them to.
TEST_F(MapSearchTest, RadiusWithinTolerance_PutsTheStoredReferenceOnTheRunsGrid) {
  Learn(20, 0.3);
  const DataSet learnt = component->Results()->dataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW];
  component->FeatureRadius.Set(8.9);
  EXPECT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_NO_LEARNING), kCompensated);
  const auto& sets = component->Results()->dataSets;
  const DataSet& fast = sets[E_OMBRIX_DC_CIRCLE_DATA_FAST];
  ASSERT_EQ(fast.angles.GetSize(), 111u);
  for (int32_t type = 0; type < kDataTypeCount; ++type) {
    EXPECT_TRUE(SameGridAngles(sets[type].angles, fast.angles)) << type;
    EXPECT_EQ(sets[type].radii.GetSize(), 111u) << type;
  }
  const auto mean = [](const CMaDoubleArray& v) {
    return std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.GetSize());
  };
  EXPECT_NEAR(mean(sets[E_OMBRIX_DC_CIRCLE_DATA_SLOW].radii), mean(learnt.radii), 1e-5);
}

// A map whose header agrees with the feature as far as it can be read, but cannot be read to
// the end, is reported as a damaged match; the search still goes on to the next number. A folder
// of a map file's name is no map: both searches stop there as at a gap.
TEST(FindMatchingMap, ReportsADamagedMatchAndGoesOn_AndAFolderIsNoMap) {
  TempFolder folder;
  MapFileHeader feature;  // tip radius 0: an unreadable one would compare equal
  feature.radius = 8.0;
  const auto search = [&] {
    return FindMatchingMap(folder.Path(), feature, {}, MapComparison::Full);
  };
  std::string damaged = WriteMapFile(feature, {});
  damaged.replace(damaged.find("TipRadius:  0.0"), 15, "TipRadius:  ?.0");
  folder.Write("_circle1.rsm", damaged);
  EXPECT_EQ(search().mapNumber, 0);
  EXPECT_EQ(search().error, ErrorNumber::StoredMapUnusable);
  folder.Write("_circle2.rsm", WriteMapFile(feature, {}));
  EXPECT_EQ(search().mapNumber, 2);

  fs::remove(folder.Path() / "_circle1.rsm");
  fs::create_directory(folder.Path() / "_circle1.rsm");
  EXPECT_EQ(NextFreeMapNumber(folder.Path()), 1);
  EXPECT_EQ(search().mapNumber, 0);
  EXPECT_EQ(search().error, ErrorNumber::None);
}

TEST(DeleteOldMapFiles, OneHourLimit_DeletesPairsOlderThan60Minutes) {
  TempFolder folder;
  // Minutes since each file was written. Pair 1 is old: it goes; pair 2, exactly 60, and pair
  // 3, in the future, stay; an old circle data file takes its young map with it (4), in any
  // case of the names (8); an old map alone goes (5); interrupted writes' temporaries go (9)
  // unless young (7); the rest are no map files.
  const std::pair<int, std::vector<const char*>> ages[] = {
      {61, {"_circle1.rsd", "_circle1.rsm", "_circle9.rsm.17.3.tmp", "_circle9.rsd.tmp"}},
      {60, {"_circle2.rsd", "_circle2.rsm"}},
      {-10, {"_circle3.rsd", "_circle3.rsm"}},
      {120, {"_circle4.rsd", "_circle5.rsm", "_circle8.RSD"}},
      {0, {"_circle4.rsm", "_circle8.RSM"}},
      {59, {"_circle7.rsd.17.4.tmp"}},
      {600, {"notes.txt", "customer-part.rsd", "_circle1.rsm.bak"}},
  };
  for (const auto& [age, names] : ages) {
    for (const char* name : names) {
      WriteAged(folder, name, minutes(age));
    }
  }
  // A folder is never a map file: neither it nor its young partner goes.
  fs::create_directory(folder.Path() / "_circle6.rsd");
  fs::last_write_time(folder.Path() / "_circle6.rsd",
                      fs::file_time_type::clock::now() - minutes(120));
  WriteAged(folder, "_circle6.rsm", minutes(0));

  EXPECT_EQ(DeleteOldMapFiles(folder.Path(), 1), 9);
  EXPECT_EQ(
      FileNames(folder.Path(), true),
      (std::vector<std::string>{"_circle1.rsm.bak", "_circle2.rsd", "_circle2.rsm", "_circle3.rsd",
                                "_circle3.rsm", "_circle6.rsd", "_circle6.rsm",
                                "_circle7.rsd.17.4.tmp", "customer-part.rsd", "notes.txt"}));

  // Without any circle data file nothing is deleted, however old.
  TempFolder mapsOnly;
  WriteAged(mapsOnly, "_circle1.rsm", minutes(600));
  EXPECT_EQ(DeleteOldMapFiles(mapsOnly.Path(), 1), 0);
  EXPECT_EQ(FileNames(mapsOnly.Path(), true), (std::vector<std::string>{"_circle1.rsm"}));
}

}  // namespace ombrixdc
