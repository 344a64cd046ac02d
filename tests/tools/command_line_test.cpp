// The command line as a user meets it, run as a child process: what it does to folders it did
// not make, how it stops on a signal, and what it says when it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

const std::string kProgram = OMBRIXDC_PROGRAM;

// Settings for a run on the simulated machine with its run directory in `folder`.
std::string Settings(const fs::path& folder) {
  return "[KT410]\nKnownPartScanAcceleration=200\n[OmbrixDC]\nBufferPitch=0.05\nDCMapPitch=0.5\n"
         "DCSpeedFactor=10\nDCStartAngle=45\nWorkingDirectory=" +
         folder.string() + "/\n";
}

std::vector<std::string> LearningRun(const fs::path& ini) {
  return {kProgram, "run",         "--ini", ini.string(),
          "--set",  "Learning=1",  "--set", "FeatureRadius=10",
          "--set",  "TipRadius=1", "--set", "ScanDeflection=0.3",
          "--set",  "SlowSpeed=5", "--set", "ModeParameter=60"};
}

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(CommandLine, Demo_WritesOnlyIntoANewEmptyOrEarlierDemoFolder) {
  const TempFolder folder;
  fs::create_directories(folder.Path() / "mine" / "Default");
  folder.Write("mine/OmbrixDC.ini", "my settings");
  folder.Write("mine/Default/_circle1.rsm", "my map");
  struct Case {
    const char* dir;
    int exitStatus;
    const char* stderrText;
  };
  const Case cases[] = {
      {"mine", 1, "is not empty and was not made by the demo"},
      {"new/sub", 0, ""},
      {"new/sub", 0, ""},  // its own folder from the run before: used again
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dir);
    const fs::path dir = folder.Path() / c.dir;
    const ChildResult r = RunChild({kProgram, "demo", "--dir", dir.string()});
    EXPECT_EQ(r.exitStatus, c.exitStatus) << r.err;
    EXPECT_NE(r.err.find(c.stderrText), std::string::npos) << r.err;
    if (c.exitStatus == 0) {
      EXPECT_TRUE(fs::exists(dir / "Default" / "_circle1.rsm"));
      EXPECT_TRUE(fs::exists(dir / "Default" / "demo-results.dat"));
      EXPECT_FALSE(fs::exists(dir / "Default" / "_circle2.rsm"));  // old maps were cleared
    }
  }
  EXPECT_EQ(FileText(folder.Path() / "mine" / "OmbrixDC.ini"), "my settings");
  EXPECT_EQ(FileText(folder.Path() / "mine" / "Default" / "_circle1.rsm"), "my map");
}

TEST(CommandLine, Run_FirstStopSignalAbortsTheRun_SecondExitsAtOnce) {
  struct Case {
    std::vector<int> signals;  // sent together once the slow scan has started
    int exitStatus;
    bool abortPathRan;  // OnStatusChange 6 and PerformCircleComplete 1
  };
  const Case cases[] = {
      {{SIGINT}, 3, true},
      {{SIGTERM}, 3, true},
      {{SIGINT, SIGTERM}, 128 + SIGTERM, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.signals.size());
    const TempFolder folder;
    const fs::path ini = folder.Write("settings.ini", Settings(folder.Path()));
    bool sent = false;
    const ChildResult r = RunChild(LearningRun(ini), {}, [&](const std::string& out, pid_t pid) {
      if (sent || out.find("OnStatusChange 2\n") == std::string::npos) {
        return;
      }
      sent = true;
      for (int signal : c.signals) {
        kill(pid, signal);
      }
    });
    ASSERT_TRUE(sent) << r.out;
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exitStatus, c.exitStatus) << r.out << r.err;
    EXPECT_EQ(r.out.find("OnStatusChange 3"), std::string::npos) << r.out;  // no fast scan
    EXPECT_EQ(r.out.find("OnStatusChange 6\nPerformCircleComplete 1\n") != std::string::npos,
              c.abortPathRan)
        << r.out;
    EXPECT_FALSE(fs::exists(folder.Path() / "Default" / "_circle1.rsm"));  // no map stored
    if (!c.abortPathRan) {  // ended without waiting for the run to end
      EXPECT_EQ(r.out.find("GetLastError"), std::string::npos) << r.out;
    }
  }
}

TEST(CommandLine, RefusalsSayWhy) {
  const TempFolder folder;
  const fs::path ini = folder.Write("settings.ini", Settings(folder.Path()));
  const fs::path damagedStore = folder.Write("store.reg", "[HKEY_CLASSES_ROOT\\Half");
  const std::string longName(260, 'n');
  struct Case {
    std::vector<std::string> extra;  // after the learning run's arguments, or a whole command
    bool wholeCommand;
    int exitStatus;
    const char* stderrText;
  };
  const Case cases[] = {
      {{"--set", "Learning=1e400"}, false, 2, "Learning=1e400: value out of range"},
      {{"--timeout", "nan"}, false, 2, "finite number of seconds greater than 0: nan"},
      {{"--timeout", "abc"}, false, 2, "not a number: abc"},
      {{"--probe-offsets", "0,inf,0"}, false, 2, "must be a finite number: inf"},
      {{"--save", ""}, false, 2, "--save: must not be empty"},
      {{"--save", "../x"}, false, 1, "--save ../x: not a bare file name"},
      {{"--save", longName}, false, 1, "longer than the file system allows"},
      {{kProgram, "idl", "-o", (folder.Path() / "none" / "x.idl").string()},
       true,
       1,
       "ombrixdc: cannot write "},
      {{kProgram, "register"}, true, 1, "store.reg: not a registry export: line 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra.back());
    std::vector<std::string> args = c.wholeCommand ? c.extra : LearningRun(ini);
    if (!c.wholeCommand) {
      args.insert(args.end(), c.extra.begin(), c.extra.end());
    }
    const ChildResult r = RunChild(args, {"OMBRIXDC_REGISTRY=" + damagedStore.string()});
    EXPECT_EQ(r.exitStatus, c.exitStatus) << r.err;
    EXPECT_NE(r.err.find(c.stderrText), std::string::npos) << r.err;
    if (c.exitStatus == 1 && !c.wholeCommand) {  // the run was good; only the save failed
      EXPECT_NE(r.out.find("SaveData 0\n"), std::string::npos) << r.out;
    }
  }
  EXPECT_FALSE(fs::exists(damagedStore.string() + ".lock"));
  EXPECT_EQ(FileText(damagedStore), "[HKEY_CLASSES_ROOT\\Half");  // left as it was
}

}  // namespace
