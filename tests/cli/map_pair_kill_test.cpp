// Learning runs of `ombrixdc run` killed with SIGKILL at random moments: whatever a kill
// leaves in the run directory, every map pair there is complete or absent, a compensated run
// afterwards uses a complete map, and temporary files are never taken for maps.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "tests/tools/command_line_runs.h"

namespace ombrixdc {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int32_t kWorkers = 5;  // runs mostly wait on the simulated machine: run several
constexpr int32_t kKillsPerWorker = 40;

fs::path PairFile(const TempFolder& folder, int32_t n, const char* extension) {
  return folder.Path() / "Default" / ("_circle" + std::to_string(n) + extension);
}

// The simulated machine is deterministic, so every complete pair equals the reference pair.
struct Reference {
  std::string map, circleData;
};

// The lines a run prints that a kill is timed from: the run's start, and its fast scan's start,
// after which the map pair is computed and written.
constexpr const char* kTriggers[] = {"OnStatusChange 1\n", "OnStatusChange 3\n"};

// How long a run goes on after each trigger line, from this worker's own runs that ended
// unkilled: the last few, under the load the kills meet, never one figure measured at the start
// (a cold first run can take twice as long as later ones, and the kills would then miss).
class RemainingTimes {
 public:
  void Record(int trigger, double seconds) {
    std::vector<double>& last = seconds_[trigger];
    last.push_back(seconds);
    if (last.size() > 5) {
      last.erase(last.begin());
    }
  }
  double Median(int trigger) const {
    std::vector<double> sorted = seconds_[trigger];
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
  }

 private:
  std::vector<double> seconds_[2];
};

// One learning run, killed `delay` seconds after the line `kTriggers[trigger]` (never, for a
// negative delay). Records how long an unkilled run went on after each trigger.
bool RunAndKill(const TempFolder& folder, int overwrite, int trigger, double delay,
                RemainingTimes& times) {
  Clock::time_point seen[2];
  bool sent = false;
  const ChildResult r =
      RunChild(RunArgs(folder, 1, overwrite), {}, [&](const std::string& out, pid_t pid) {
        for (int t = 0; t < 2; ++t) {
          if (seen[t] == Clock::time_point() && out.find(kTriggers[t]) != std::string::npos) {
            seen[t] = Clock::now();
          }
        }
        if (!sent && delay >= 0 && seen[trigger] != Clock::time_point()) {
          sent = true;
          std::this_thread::sleep_for(std::chrono::duration<double>(delay));
          kill(pid, SIGKILL);
        }
      });
  if (r.signal == SIGKILL) {
    return true;
  }
  const Clock::time_point end = Clock::now();
  for (int t = 0; t < 2; ++t) {
    if (seen[t] != Clock::time_point()) {
      times.Record(t, std::chrono::duration<double>(end - seen[t]).count());
    }
  }
  return false;
}

// Learning runs killed at a random moment after a line the run prints: half after its start,
// over its whole length, half after its fast scan's start, where the map pair is written. The
// delays follow the runs as they go now, so nearly every attempt kills; the count is reported.
int32_t KillLearningRuns(const TempFolder& folder, int overwrite, uint32_t seed) {
  std::mt19937 random(seed);
  RemainingTimes times;
  for (int warm = 0; warm < 3; ++warm) {
    RunAndKill(folder, overwrite, 0, -1.0, times);
  }
  int32_t killed = 0;
  for (int32_t attempt = 0; killed < kKillsPerWorker && attempt < 3 * kKillsPerWorker; ++attempt) {
    const int trigger = attempt % 2;
    const double delay = std::uniform_real_distribution<double>(0, times.Median(trigger))(random);
    killed += RunAndKill(folder, overwrite, trigger, delay, times) ? 1 : 0;
  }
  return killed;
}

// Every map file is the complete reference map beside its complete circle data file; a circle
// data file alone (a kill between the two renames) is complete too. Returns the temporaries.
int32_t ExpectOnlyCompletePairs(const TempFolder& folder, const Reference& reference) {
  int32_t temporaries = 0;
  for (const auto& entry : fs::directory_iterator(folder.Path() / "Default")) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".rsm") {
      EXPECT_EQ(FileText(entry.path()), reference.map) << entry.path();
      EXPECT_TRUE(fs::exists(fs::path(entry.path()).replace_extension(".rsd"))) << entry.path();
    } else if (extension == ".rsd") {
      EXPECT_EQ(FileText(entry.path()), reference.circleData) << entry.path();
    }
    temporaries += extension == ".tmp" ? 1 : 0;
  }
  return temporaries;
}

// One clean run gives the reference pair.
Reference LearnReference(const TempFolder& folder) {
  const ChildResult r = RunChild(RunArgs(folder, 1, 1));
  EXPECT_EQ(r.exitStatus, 0) << r.out << r.err;
  return {FileText(PairFile(folder, 1, ".rsm")), FileText(PairFile(folder, 1, ".rsd"))};
}

TEST(MapPairs, KilledLearningRunsLeaveCompletePairsOrNone_AndTemporariesAreNeverMaps) {
  const TempFolder referenceFolder;
  const Reference reference = LearnReference(referenceFolder);
  ASSERT_FALSE(reference.map.empty());

  // Even workers give each learnt map a new number, odd ones replace map 1.
  const TempFolder folders[kWorkers];
  int32_t killed[kWorkers] = {};
  std::thread workers[kWorkers];
  const uint32_t seed = std::random_device()();
  for (int32_t w = 0; w < kWorkers; ++w) {
    workers[w] = std::thread([&, w] { killed[w] = KillLearningRuns(folders[w], w % 2, seed + w); });
  }
  for (std::thread& worker : workers) {
    worker.join();
  }
  for (int32_t w = 0; w < kWorkers; ++w) {
    SCOPED_TRACE("worker " + std::to_string(w) + ", seed " + std::to_string(seed));
    // Far fewer kills than asked means the runs outran every delay: the test proved little.
    EXPECT_GE(killed[w], kKillsPerWorker / 2);
    const bool hasMap = fs::exists(PairFile(folders[w], 1, ".rsm"));
    const int32_t temporaries = ExpectOnlyCompletePairs(folders[w], reference);
    // The compensated run meets whatever the kills left, temporaries included.
    const ChildResult r = RunChild(RunArgs(folders[w], 0, 1));
    EXPECT_EQ(r.exitStatus, hasMap ? 0 : 1) << r.out << r.err;
    EXPECT_NE(r.out.find(hasMap ? "MapNumber 1 used" : "NoStoredMap"), std::string::npos) << r.out;
    std::printf("worker %d: %d kills, %d temporaries left\n", w, killed[w], temporaries);
  }

  // A complete map of the feature under a temporary name, and a half-written one, are not
  // maps: a compensated run finds none, and learning takes number 1.
  const TempFolder planted;
  fs::create_directories(planted.Path() / "Default");
  planted.Write("Default/_circle1.rsm.tmp", reference.map);
  planted.Write("Default/_circle1.rsd.tmp", reference.circleData);
  planted.Write("Default/_circle2.rsm.tmp", reference.map.substr(0, reference.map.size() / 2));
  const ChildResult compensated = RunChild(RunArgs(planted, 0, 1));
  EXPECT_NE(compensated.out.find("NoStoredMap"), std::string::npos) << compensated.out;
  const ChildResult learning = RunChild(RunArgs(planted, 1, 0));
  EXPECT_NE(learning.out.find("MapNumber 1 written"), std::string::npos) << learning.out;
  EXPECT_EQ(FileText(PairFile(planted, 1, ".rsm")), reference.map);
}

}  // namespace
}  // namespace ombrixdc
