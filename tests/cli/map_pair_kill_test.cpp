// Learning runs of `ombrixdc run` killed with SIGKILL at random moments: whatever a kill
// leaves in the run directory, every map pair there is complete or absent and of one run, a
// compensated run afterwards uses a complete map, and temporary files are never taken for maps.
// Learning runs into one run directory at the same time never fail or mix their pairs.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "tests/files/golden_files.h"
#include "tests/support/child_process.h"
#include "tests/support/run_settings.h"

namespace ombrixdc {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int32_t kWorkers = 5;  // runs mostly wait on the simulated machine: run several
constexpr int32_t kKillsPerWorker = 40;
// The kills stop after this long even when fewer were made: under a sanitizer or on a busy
// machine each run takes several times longer, and the test must end within its time limit.
constexpr auto kKillTime = std::chrono::seconds(60);

fs::path PairFile(const TempFolder& folder, int32_t n, const char* extension) {
  return folder.Path() / "Default" / ("_circle" + std::to_string(n) + extension);
}

// The simulated machine is deterministic, so every complete pair equals the reference pair of
// the settings it was learnt with. Runs alternate between two filter numbers, which the map
// file's header and the filtered slow scan of the circle data file both show: a map beside a
// circle data file of the other run is told apart. The relaxed comparison ignores the filter
// number, so with Overwrite both replace the same map.
constexpr int32_t kFilterNumbers[] = {20, 21};

struct Reference {
  std::string map, circleData;
};
using References = std::array<Reference, 2>;

// A learning (1) or compensated (0) run of a 10 mm bore with its run directory in
// `folder`/Default; no settling wait and no ageing, so runs are short and nothing is deleted
// behind the test.
std::vector<std::string> LearningArgs(const TempFolder& folder, int learning, int overwrite,
                                      int32_t filterNumber = kFilterNumbers[0]) {
  const fs::path ini = folder.Write(
      "settings.ini",
      SettingsText(folder.Path(), "BufferPitch=0.05\r\nDCSpeedFactor=10\r\nDCStartAngle=45\r\n"));
  std::vector<std::string> args{OMBRIXDC_PROGRAM, "run", "--ini", ini.string()};
  for (const std::string& value :
       {"Learning=" + std::to_string(learning), "Overwrite=" + std::to_string(overwrite),
        "FilterNumber=" + std::to_string(filterNumber), std::string("FeatureRadius=10"),
        std::string("TipRadius=1"), std::string("ScanDeflection=0.3"), std::string("SlowSpeed=5"),
        std::string("ModeParameter=60")}) {
    args.insert(args.end(), {"--set", value});
  }
  return args;
}

// Which reference's map or circle data `text` is; -1 for neither.
int32_t WhichRun(const References& references, const std::string& text, bool map) {
  const auto found = std::find_if(references.begin(), references.end(), [&](const Reference& r) {
    return text == (map ? r.map : r.circleData);
  });
  return found == references.end() ? -1 : static_cast<int32_t>(found - references.begin());
}

// The lines a run prints that a kill is timed from: the run's start, and its fast scan's start,
// after which the map pair is computed and written.
constexpr const char* kTriggers[] = {"OnStatusChange 1\n", "OnStatusChange 3\n"};

// How long a run goes on after each trigger line, from this worker's own runs that ended
// unkilled: the last few, under the load the kills meet, never one figure measured at the start
// (a cold first run can take twice as long as later ones, and the kills would then miss).
using RemainingTimes = std::vector<double>[2];

// The median of the last five figures recorded for a trigger (0 with none).
double Median(const std::vector<double>& recorded) {
  std::vector<double> last(recorded.end() - std::min<size_t>(recorded.size(), 5), recorded.end());
  std::sort(last.begin(), last.end());
  return last.empty() ? 0.0 : last[last.size() / 2];
}

// One learning run, killed `delay` seconds after the line `kTriggers[trigger]` (never, for a
// negative delay). Records how long an unkilled run went on after each trigger.
bool RunAndKill(const TempFolder& folder, int overwrite, int32_t filterNumber, int trigger,
                double delay, RemainingTimes& times) {
  Clock::time_point seen[2];
  bool sent = false;
  const ChildResult r = RunChild(
      LearningArgs(folder, 1, overwrite, filterNumber), {}, [&](const std::string& out, pid_t pid) {
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
      times[t].push_back(std::chrono::duration<double>(end - seen[t]).count());
    }
  }
  return false;
}

// Learning runs killed at a random moment after a line the run prints: half after its start,
// over its whole length, half after its fast scan's start, where the map pair is written. The
// delays follow the runs as they go now, so nearly every attempt kills. Gives the kills and
// the attempts made.
std::pair<int32_t, int32_t> KillLearningRuns(const TempFolder& folder, int overwrite, uint32_t seed,
                                             Clock::time_point deadline) {
  std::mt19937 random(seed);
  RemainingTimes times;
  for (int warm = 0; warm < 3; ++warm) {
    RunAndKill(folder, overwrite, kFilterNumbers[warm % 2], 0, -1.0, times);
  }
  int32_t killed = 0, attempt = 0;
  for (; killed < kKillsPerWorker && attempt < 3 * kKillsPerWorker && Clock::now() < deadline;
       ++attempt) {
    const int trigger = attempt % 2;
    // The other filter number every second pair of attempts, so that each kill point meets a
    // pair of the other run on disk.
    const int32_t filterNumber = kFilterNumbers[(attempt / 2) % 2];
    const double delay = std::uniform_real_distribution<double>(0, Median(times[trigger]))(random);
    killed += RunAndKill(folder, overwrite, filterNumber, trigger, delay, times) ? 1 : 0;
  }
  return {killed, attempt};
}

// Every map file is one run's complete map beside that run's complete circle data file; a
// circle data file alone (a kill between the removal of the old map file and the new one's
// rename) is one run's and complete too. Returns the temporaries.
int32_t ExpectOnlyCompletePairs(const TempFolder& folder, const References& references) {
  int32_t temporaries = 0;
  for (const auto& entry : fs::directory_iterator(folder.Path() / "Default")) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".rsm") {
      const int32_t run = WhichRun(references, FileText(entry.path()), true);
      EXPECT_NE(run, -1) << entry.path();
      const fs::path partner = fs::path(entry.path()).replace_extension(".rsd");
      EXPECT_EQ(WhichRun(references, FileText(partner), false), run) << partner;
    } else if (extension == ".rsd") {
      EXPECT_NE(WhichRun(references, FileText(entry.path()), false), -1) << entry.path();
    }
    temporaries += extension == ".tmp" ? 1 : 0;
  }
  return temporaries;
}

// One clean run of each filter number gives the reference pairs.
References LearnReferences() {
  References references;
  for (int32_t k = 0; k < 2; ++k) {
    const TempFolder folder;
    const ChildResult r = RunChild(LearningArgs(folder, 1, 1, kFilterNumbers[k]));
    EXPECT_EQ(r.exitStatus, 0) << r.out << r.err;
    references[k] = {FileText(PairFile(folder, 1, ".rsm")), FileText(PairFile(folder, 1, ".rsd"))};
  }
  EXPECT_NE(references[0].map, references[1].map);
  EXPECT_NE(references[0].circleData, references[1].circleData);
  return references;
}

TEST(MapPairs, KilledLearningRunsLeaveCompletePairsOrNone_AndTemporariesAreNeverMaps) {
  const References references = LearnReferences();
  const Reference& reference = references[0];
  ASSERT_FALSE(reference.map.empty());

  // Even workers give each learnt map a new number, odd ones replace map 1.
  const TempFolder folders[kWorkers];
  std::pair<int32_t, int32_t> kills[kWorkers] = {};
  const uint32_t seed = std::random_device()();
  const Clock::time_point deadline = Clock::now() + kKillTime;
  std::vector<std::jthread> workers;
  for (int32_t w = 0; w < kWorkers; ++w) {
    workers.emplace_back(
        [&, w] { kills[w] = KillLearningRuns(folders[w], w % 2, seed + w, deadline); });
  }
  workers.clear();  // joins them
  for (int32_t w = 0; w < kWorkers; ++w) {
    SCOPED_TRACE("worker " + std::to_string(w) + ", seed " + std::to_string(seed));
    // Kills in fewer than half the attempts mean the runs outran every delay, and a handful
    // in all: either way the test proved little.
    const auto [killed, attempts] = kills[w];
    EXPECT_GE(killed, std::max(attempts / 2, 6));
    const bool hasMap = fs::exists(PairFile(folders[w], 1, ".rsm"));
    const int32_t temporaries = ExpectOnlyCompletePairs(folders[w], references);
    // The compensated run meets whatever the kills left, temporaries included; it measures
    // the feature of map 1.
    const int32_t run =
        hasMap ? std::max(0, WhichRun(references, FileText(PairFile(folders[w], 1, ".rsm")), true))
               : 0;
    const ChildResult r = RunChild(LearningArgs(folders[w], 0, 1, kFilterNumbers[run]));
    EXPECT_EQ(r.exitStatus, hasMap ? 0 : 1) << r.out << r.err;
    EXPECT_NE(r.out.find(hasMap ? "MapNumber 1 used" : "NoStoredMap"), std::string::npos) << r.out;
    std::printf("worker %d: %d kills in %d attempts, %d temporaries left\n", w, killed, attempts,
                temporaries);
  }

  // A complete map of the feature under a temporary name, and a half-written one, are not
  // maps: a compensated run finds none, and learning takes number 1.
  const TempFolder planted;
  fs::create_directories(planted.Path() / "Default");
  planted.Write("Default/_circle1.rsm.tmp", reference.map);
  planted.Write("Default/_circle1.rsd.tmp", reference.circleData);
  planted.Write("Default/_circle2.rsm.tmp", reference.map.substr(0, reference.map.size() / 2));
  const ChildResult compensated = RunChild(LearningArgs(planted, 0, 1));
  EXPECT_NE(compensated.out.find("NoStoredMap"), std::string::npos) << compensated.out;
  const ChildResult learning = RunChild(LearningArgs(planted, 1, 0));
  EXPECT_NE(learning.out.find("MapNumber 1 written"), std::string::npos) << learning.out;
  EXPECT_EQ(FileText(PairFile(planted, 1, ".rsm")), reference.map);
}

// Two processes learning into one run directory at the same time, each run with its own
// filter number: none fails, and every pair on disk is one run's. With Overwrite both replace
// map 1; without, each run takes a number of its own.
TEST(MapPairs, LearningRunsIntoOneFolderAtOnce_NeverFailOrMixAPair) {
  const References references = LearnReferences();
  constexpr int32_t kRunsEach = 6;
  for (const int overwrite : {1, 0}) {
    SCOPED_TRACE("Overwrite " + std::to_string(overwrite));
    const TempFolder folder;
    // The settings file is written once, before the runs read it.
    const std::vector<std::string> args[2] = {
        LearningArgs(folder, 1, overwrite, kFilterNumbers[0]),
        LearningArgs(folder, 1, overwrite, kFilterNumbers[1])};
    std::vector<std::jthread> runners;
    for (int32_t k = 0; k < 2; ++k) {
      runners.emplace_back([&, k] {
        for (int32_t i = 0; i < kRunsEach; ++i) {
          const ChildResult r = RunChild(args[k]);
          EXPECT_EQ(r.exitStatus, 0) << r.out << r.err;
        }
      });
    }
    runners.clear();  // joins them
    EXPECT_EQ(ExpectOnlyCompletePairs(folder, references), 0);
    EXPECT_EQ(fs::exists(PairFile(folder, 2, ".rsm")), overwrite == 0);
    EXPECT_EQ(fs::exists(PairFile(folder, 2 * kRunsEach, ".rsm")), overwrite == 0);
  }
}

}  // namespace
}  // namespace ombrixdc
