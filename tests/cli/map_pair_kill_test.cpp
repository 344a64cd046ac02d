// Learning runs of `ombrixdc run` killed with SIGKILL at random moments: whatever a kill
// leaves in the run directory, every map pair there is complete or absent, a compensated run
// afterwards uses a complete map, and temporary files are never taken for maps.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kProgram = OMBRIXDC_PROGRAM;
constexpr int32_t kWorkers = 4;  // runs mostly wait on the simulated machine: run several
constexpr int32_t kKillsPerWorker = 50;

// A run on the simulated machine with its run directory in `folder`/Default; no settling
// wait and no ageing, so the runs are short and nothing is deleted behind the test.
std::vector<std::string> RunArgs(const TempFolder& folder, int learning, int overwrite) {
  const fs::path ini = folder.Path() / "settings.ini";
  if (!fs::exists(ini)) {
    folder.Write("settings.ini",
                 "[KT410]\nKnownPartScanAcceleration=200\n[OmbrixDC]\nBufferPitch=0.05\n"
                 "DCMapPitch=0.5\nDCSpeedFactor=10\nDCStartAngle=45\nScanSettlingTime=0\n"
                 "TimeOut=-1\nWorkingDirectory=" +
                     folder.Path().string() + "/\n");
  }
  return {kProgram, "run",
          "--ini",  ini.string(),
          "--set",  "Learning=" + std::to_string(learning),
          "--set",  "Overwrite=" + std::to_string(overwrite),
          "--set",  "FeatureRadius=10",
          "--set",  "TipRadius=1",
          "--set",  "ScanDeflection=0.3",
          "--set",  "SlowSpeed=5",
          "--set",  "ModeParameter=60"};
}

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

fs::path PairFile(const TempFolder& folder, int32_t n, const char* extension) {
  return folder.Path() / "Default" / ("_circle" + std::to_string(n) + extension);
}

// The simulated machine is deterministic, so every complete pair equals the reference pair.
struct Reference {
  std::string map, circleData;
  double runSeconds = 0, tailSeconds = 0;  // from "OnStatusChange 1" and "3" to the end
};

// `kills` learning runs killed at a random moment: half timed from the run's start over its
// whole length, half from the fast scan's start, where the map pair is computed and written.
int32_t KillLearningRuns(const TempFolder& folder, int overwrite, const Reference& reference,
                         uint32_t seed) {
  std::mt19937 random(seed);
  int32_t killed = 0;
  for (int32_t attempt = 0; killed < kKillsPerWorker && attempt < 2 * kKillsPerWorker; ++attempt) {
    const bool tail = attempt % 2 == 1;
    const std::string trigger = tail ? "OnStatusChange 3\n" : "OnStatusChange 1\n";
    std::uniform_real_distribution<double> delay(
        0, 1.2 * (tail ? reference.tailSeconds : reference.runSeconds));
    bool sent = false;
    const ChildResult r =
        RunChild(RunArgs(folder, 1, overwrite), {}, [&](const std::string& out, pid_t pid) {
          if (!sent && out.find(trigger) != std::string::npos) {
            sent = true;
            std::this_thread::sleep_for(std::chrono::duration<double>(delay(random)));
            kill(pid, SIGKILL);
          }
        });
    killed += r.signal == SIGKILL ? 1 : 0;
  }
  return killed;
}

// Every map file is the complete reference map with its complete circle data file, numbered
// without gaps; a circle data file alone (killed between the two renames) is complete too.
int32_t ExpectOnlyCompletePairs(const TempFolder& folder, const Reference& reference) {
  int32_t maps = 0, temporaries = 0;
  for (const auto& entry : fs::directory_iterator(folder.Path() / "Default")) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".rsm") {
      ++maps;
      EXPECT_EQ(FileText(entry.path()), reference.map) << entry.path();
      EXPECT_TRUE(fs::exists(fs::path(entry.path()).replace_extension(".rsd"))) << entry.path();
    } else if (extension == ".rsd") {
      EXPECT_EQ(FileText(entry.path()), reference.circleData) << entry.path();
    } else {
      temporaries += extension == ".tmp" ? 1 : 0;
    }
  }
  for (int32_t n = 1; n <= maps; ++n) {
    EXPECT_TRUE(fs::exists(PairFile(folder, n, ".rsm"))) << n;
  }
  return temporaries;
}

TEST(MapPairs, KilledLearningRunsLeaveCompletePairsOrNone) {
  const TempFolder referenceFolder;
  Reference reference;
  Clock::time_point seen[2];
  const Clock::time_point start = Clock::now();
  const ChildResult learnt = RunChild(RunArgs(referenceFolder, 1, 1), {}, [&](auto& out, pid_t) {
    const char* lines[2] = {"OnStatusChange 1\n", "OnStatusChange 3\n"};
    for (int i = 0; i < 2; ++i) {
      if (seen[i] == Clock::time_point() && out.find(lines[i]) != std::string::npos) {
        seen[i] = Clock::now();
      }
    }
  });
  const Clock::time_point end = Clock::now();
  ASSERT_EQ(learnt.exitStatus, 0) << learnt.out << learnt.err;
  ASSERT_GT(seen[1], start) << learnt.out;
  reference = {FileText(PairFile(referenceFolder, 1, ".rsm")),
               FileText(PairFile(referenceFolder, 1, ".rsd")),
               std::chrono::duration<double>(end - seen[0]).count(),
               std::chrono::duration<double>(end - seen[1]).count()};

  // Even workers give each learnt map a new number, odd ones replace map 1.
  std::vector<std::unique_ptr<TempFolder>> folders;
  std::vector<int32_t> killed(kWorkers);
  std::vector<std::thread> workers;
  const uint32_t seed = std::random_device()();
  for (int32_t w = 0; w < kWorkers; ++w) {
    folders.push_back(std::make_unique<TempFolder>());
    workers.emplace_back(
        [&, w] { killed[w] = KillLearningRuns(*folders[w], w % 2, reference, seed + w); });
  }
  for (std::thread& worker : workers) {
    worker.join();
  }
  for (int32_t w = 0; w < kWorkers; ++w) {
    SCOPED_TRACE("worker " + std::to_string(w) + ", seed " + std::to_string(seed));
    EXPECT_EQ(killed[w], kKillsPerWorker);
    const bool hasMap = fs::exists(PairFile(*folders[w], 1, ".rsm"));
    const int32_t temporaries = ExpectOnlyCompletePairs(*folders[w], reference);
    // The compensated run meets whatever the kills left, temporaries included.
    const ChildResult r = RunChild(RunArgs(*folders[w], 0, 1));
    EXPECT_EQ(r.exitStatus, hasMap ? 0 : 1) << r.out << r.err;
    EXPECT_NE(r.out.find(hasMap ? "MapNumber 1 used" : "NoStoredMap"), std::string::npos) << r.out;
    std::printf("worker %d: %d kills, %d temporaries left\n", w, killed[w], temporaries);
  }
}

// A complete map of the feature under a temporary name, and a half-written one, are not maps:
// a compensated run finds none, and learning takes number 1.
TEST(MapPairs, TemporaryFilesAreNeverTakenForMaps) {
  const TempFolder folder, referenceFolder;
  ASSERT_EQ(RunChild(RunArgs(referenceFolder, 1, 1)).exitStatus, 0);
  const std::string map = FileText(PairFile(referenceFolder, 1, ".rsm"));
  const std::string circleData = FileText(PairFile(referenceFolder, 1, ".rsd"));
  fs::create_directories(folder.Path() / "Default");
  folder.Write("Default/_circle1.rsm.tmp", map);
  folder.Write("Default/_circle1.rsd.tmp", circleData);
  folder.Write("Default/_circle2.rsm.tmp", map.substr(0, map.size() / 2));
  const ChildResult compensated = RunChild(RunArgs(folder, 0, 1));
  EXPECT_EQ(compensated.exitStatus, 1) << compensated.out;
  EXPECT_NE(compensated.out.find("NoStoredMap"), std::string::npos) << compensated.out;
  const ChildResult learning = RunChild(RunArgs(folder, 1, 0));
  EXPECT_NE(learning.out.find("MapNumber 1 written"), std::string::npos) << learning.out;
  EXPECT_EQ(FileText(PairFile(folder, 1, ".rsm")), map);
  EXPECT_FALSE(fs::exists(PairFile(folder, 2, ".rsm")));
}

}  // namespace
