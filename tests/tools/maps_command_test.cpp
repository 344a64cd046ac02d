// `ombrixdc maps` on a run directory of golden map pairs and damaged ones: every map number is
// listed with what is wrong with it, check fails while any pair is not sound, show draws only
// a readable map, and prune removes what a run's ageing removes.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "tests/tools/command_line_runs.h"

namespace ombrixdc {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> OutputLines(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

// Golden pairs 1 and 5, map 2 with a nan in its data, a circle data file 3 without its map
// file, a folder under map file 4's name (so pair 5 is never reached), and a user's file.
class MapsCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path golden = fs::path(OMBRIXDC_SOURCE_DIR) / "tests/files/golden/offline-learning";
    map = FileText(golden / "_circle1.rsm");
    circleData = FileText(golden / "_circle1.rsd");
    for (const char* n : {"1", "2", "5"}) {
      folder.Write(std::string("_circle") + n + ".rsm", map);
      folder.Write(std::string("_circle") + n + ".rsd", circleData);
    }
    std::string damaged = map;
    const auto row = damaged.find("\r\n\r\n", damaged.find("DataSize:", damaged.find("DcMapData")));
    damaged.replace(row + 4, 24, " nan                    ");
    folder.Write("_circle2.rsm", damaged);
    folder.Write("_circle3.rsd", circleData);
    fs::create_directory(folder.Path() / "_circle4.rsm");
    folder.Write("customer-part.rsd", "not a map");
  }
  ChildResult Maps(std::vector<std::string> args) const {
    args.insert(args.begin(), {kProgram, "maps"});
    return RunChild(args);
  }
  std::string Dir() const { return folder.Path().string(); }

  TempFolder folder;
  std::string map, circleData;
};

TEST_F(MapsCommandTest, ListAndCheck_NameEveryMapNumberAndWhatIsWrong) {
  const ChildResult list = Maps({"list", Dir()});
  ASSERT_EQ(list.exitStatus, 0) << list.err;
  const std::vector<std::string> lines = OutputLines(list.out);
  ASSERT_EQ(lines.size(), 5u) << list.out;
  const std::string feature =
      " bore radius 8 mm clockwise speeds 5/30 filter 1/20 pitch 0.5 start 30 points 100 "
      "\"OmBrixDC Circle Map file\" \"OmBrixDC Circle Data File\" age ";
  const std::pair<const char*, const char*> expected[] = {
      {"1", " ok"},
      {"2", " damaged: map file damaged: a number cannot be read"},
      {"3", " incomplete: no map file"},
      {"4", " incomplete: _circle4.rsm is not a file; no circle data file (never used: "},
      {"5", " ok (never used: a lower number has no map file)"},
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto& [number, state] = expected[i];
    EXPECT_EQ(lines[i].rfind(number, 0), 0u) << lines[i];
    EXPECT_NE(lines[i].find(state), std::string::npos) << lines[i];
    const bool headerRead = i == 0 || i == 1 || i == 4;
    EXPECT_EQ(lines[i].find(feature) != std::string::npos, headerRead) << lines[i];
  }

  const ChildResult json = Maps({"list", "--json", Dir()});
  EXPECT_EQ(json.out.rfind("[{\"number\": 1, \"mapFile\": \"_circle1.rsm\", \"circleDataFile\": "
                           "\"_circle1.rsd\", \"complete\": true, \"readable\": true, \"sound\": "
                           "true, \"reachable\": true, \"problems\": [], \"feature\": \"bore\", "
                           "\"radius\": 8, \"unit\": \"mm\", \"scanDirection\": \"clockwise\", ",
                           0),
            0u)
      << json.out;
  EXPECT_NE(json.out.find("\"number\": 3, \"mapFile\": \"\", \"circleDataFile\": \"_circle3.rsd\", "
                          "\"complete\": false, \"readable\": false, \"sound\": false, "
                          "\"reachable\": false, \"problems\": [\"no map file\"], "
                          "\"circleDataTitle\": \"OmBrixDC Circle Data File\", \"ageHours\": "),
            std::string::npos)
      << json.out;

  const ChildResult check = Maps({"check", Dir()});
  EXPECT_EQ(check.exitStatus, 1);
  EXPECT_EQ(OutputLines(check.out).back(), "5 map numbers, 3 not sound");
  for (const char* name : {"_circle2.rsm", "_circle2.rsd", "_circle3.rsd", "_circle4.rsm"}) {
    fs::remove(folder.Path() / name);
  }
  EXPECT_EQ(Maps({"check", Dir()}).exitStatus, 0);
  // A pair whose circle data file is of another grid does not fit together.
  std::string otherGrid = map;
  otherGrid.replace(otherGrid.find("MapPitch:  0.500000"), 19, "MapPitch:  0.600000");
  folder.Write("_circle1.rsm", otherGrid);
  const ChildResult inconsistent = Maps({"check", Dir()});
  EXPECT_EQ(inconsistent.exitStatus, 1);
  EXPECT_NE(inconsistent.out.find("1 bore radius 8"), std::string::npos) << inconsistent.out;
  EXPECT_NE(inconsistent.out.find("inconsistent: PreMapData is not on the grid"),
            std::string::npos);
  EXPECT_NE(inconsistent.out.find("circle data file is not on the map's grid"), std::string::npos);
}

TEST_F(MapsCommandTest, Show_DrawsAReadableMapOnly) {
  const fs::path picture = folder.Path() / "map1.png";
  const ChildResult shown = Maps({"show", "1", Dir(), "-o", picture.string()});
  EXPECT_EQ(shown.exitStatus, 0) << shown.err;
  EXPECT_GT(fs::file_size(picture), 10000u);
  // The settings file names the run directory as a run forms it.
  const TempFolder work;
  fs::create_directories(work.Path() / "Default");
  fs::copy(folder.Path() / "_circle1.rsm", work.Path() / "Default" / "_circle1.rsm");
  fs::copy(folder.Path() / "_circle1.rsd", work.Path() / "Default" / "_circle1.rsd");
  const fs::path ini =
      work.Write("settings.ini", "[OmbrixDC]\nWorkingDirectory=" + work.Path().string() + "/\n");
  EXPECT_EQ(Maps({"show", "1", "--ini", ini.string(), "-o", picture.string() + ".svg"}).exitStatus,
            0);
  // Exit status and what standard error says for a map that cannot be drawn.
  const std::tuple<std::vector<std::string>, int, const char*> refusals[] = {
      {{"show", "2", Dir(), "-o", picture.string()}, 1, "map 2 cannot be shown: 2 bore"},
      {{"show", "3", Dir(), "-o", picture.string()}, 1, "incomplete: no map file"},
      {{"show", "9", Dir(), "-o", picture.string()}, 1, "no map 9 in "},
      {{"show", "1", Dir(), "-o", picture.string() + ".gif"}, 1, ".gif"},
      {{"show", "1", (folder.Path() / "none").string(), "-o", "x.png"}, 1, "no such run directory"},
      {{"list"}, 2, "give the run directory DIR or --ini PATH"},
  };
  for (const auto& [args, exitStatus, stderrText] : refusals) {
    const ChildResult r = Maps(args);
    EXPECT_EQ(r.exitStatus, exitStatus) << args[1] << ": " << r.err;
    EXPECT_NE(r.err.find(stderrText), std::string::npos) << r.err;
  }
}

TEST_F(MapsCommandTest, Prune_RemovesWhatARunsAgeingRemoves) {
  const auto age = [&](const char* name, std::chrono::minutes minutes) {
    fs::last_write_time(folder.Path() / name, fs::file_time_type::clock::now() - minutes);
  };
  for (const char* name : {"_circle1.rsd", "_circle2.rsd", "customer-part.rsd"}) {
    age(name, std::chrono::minutes(200));
  }
  folder.Write("_circle6.rsm.77.1.tmp", "half a map");
  age("_circle6.rsm.77.1.tmp", std::chrono::minutes(200));

  const ChildResult dry = Maps({"prune", Dir(), "--older-than", "2", "--dry-run"});
  EXPECT_EQ(dry.exitStatus, 0) << dry.err;
  EXPECT_EQ(OutputLines(dry.out).size(), 6u) << dry.out;
  EXPECT_EQ(OutputLines(dry.out).back(), "5 files would be removed");
  EXPECT_TRUE(fs::exists(folder.Path() / "_circle6.rsm.77.1.tmp"));

  const ChildResult pruned = Maps({"prune", Dir(), "--older-than", "2"});
  EXPECT_EQ(OutputLines(pruned.out).back(), "5 files removed") << pruned.out;
  for (const char* name :
       {"_circle1.rsd", "_circle1.rsm", "_circle2.rsd", "_circle2.rsm", "_circle6.rsm.77.1.tmp"}) {
    EXPECT_NE(pruned.out.find("removed " + (folder.Path() / name).string() + "\n"),
              std::string::npos)
        << name;
    EXPECT_FALSE(fs::exists(folder.Path() / name)) << name;
  }
  EXPECT_TRUE(fs::exists(folder.Path() / "customer-part.rsd"));
  EXPECT_TRUE(fs::is_directory(folder.Path() / "_circle4.rsm"));
  EXPECT_EQ(Maps({"prune", Dir(), "--older-than", "x"}).exitStatus, 2);
}

}  // namespace
}  // namespace ombrixdc
