// The command line as a user meets it, run as a child process: what it does to folders it did
// not make, and what it says when it refuses.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <tuple>

#include "tests/tools/command_line_runs.h"

namespace ombrixdc {
namespace {

namespace fs = std::filesystem;

TEST(CommandLine, Demo_WritesOnlyIntoANewEmptyOrEarlierDemoFolder) {
  const TempFolder folder;
  fs::create_directories(folder.Path() / "mine" / "Default");
  folder.Write("mine/Default/_circle1.rsm", "my map");
  // The folder, the exit status, what standard error holds.
  const std::tuple<const char*, int, const char*> cases[] = {
      {"mine", 1, "is not empty and was not made by the demo"},
      {"new/sub", 0, ""},
      {"new/sub", 0, ""},  // its own folder from the run before: used again
  };
  for (const auto& [dir, exitStatus, stderrText] : cases) {
    const ChildResult r = RunChild({kProgram, "demo", "--dir", (folder.Path() / dir).string()});
    EXPECT_EQ(r.exitStatus, exitStatus) << dir << ": " << r.err;
    EXPECT_NE(r.err.find(stderrText), std::string::npos) << r.err;
    EXPECT_EQ(fs::exists(folder.Path() / dir / "Default" / "demo-results.dat"), exitStatus == 0);
  }
  EXPECT_EQ(FileText(folder.Path() / "mine" / "Default" / "_circle1.rsm"), "my map");
}

// Another user may plant links in a demo folder made in a shared place: the demo never follows
// them. Its default folder is private to the user.
TEST(CommandLine, Demo_FollowsNoPlantedLinkAndKeepsItsDefaultFolderPrivate) {
  const TempFolder folder;
  fs::create_directories(folder.Path() / "victim");
  folder.Write("victim/_circle1.rsm", "their map");
  const fs::path theirs = folder.Write("their.ini", "their settings");
  for (const char* planted : {"Default", "OmbrixDC.ini"}) {
    const fs::path demo = folder.Path() / planted;
    fs::create_directories(demo);
    folder.Write(std::string(planted) + "/.ombrixdc-demo", "");
    fs::create_symlink(std::string(planted) == "Default" ? folder.Path() / "victim" : theirs,
                       demo / planted);
    const ChildResult r = RunChild({kProgram, "demo", "--dir", demo.string()});
    EXPECT_EQ(r.exitStatus, 1) << r.out;
    EXPECT_NE(r.err.find("is a symbolic link the demo did not make"), std::string::npos) << r.err;
  }
  EXPECT_EQ(FileText(folder.Path() / "victim" / "_circle1.rsm"), "their map");
  EXPECT_EQ(FileText(theirs), "their settings");

  const ChildResult r = RunChild({kProgram, "demo"}, {"XDG_CACHE_HOME=" + folder.Path().string()});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  const fs::path own = folder.Path() / "ombrixdc-demo";
  EXPECT_EQ(fs::status(own).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_TRUE(fs::exists(own / "Default" / "demo-results.dat"));
}

// A demo stopped by Ctrl-C says so and leaves no result of the demo before it looking new.
TEST(CommandLine, Demo_AbortedSaysSoAndLeavesNoStaleResult) {
  const TempFolder folder;
  const std::string dir = (folder.Path() / "demo").string();
  ASSERT_EQ(RunChild({kProgram, "demo", "--dir", dir}).exitStatus, 0);
  bool sent = false;
  const ChildResult r =
      RunChild({kProgram, "demo", "--dir", dir}, {}, [&sent](const std::string& out, pid_t pid) {
        if (!sent && out.find("status 2") != std::string::npos) {
          sent = kill(pid, SIGINT) == 0;
        }
      });
  EXPECT_EQ(r.exitStatus, 3) << r.out << r.err;
  EXPECT_NE(r.out.find("run aborted, no result"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("run complete"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(fs::path(dir) / "radial-error.png"));
  EXPECT_FALSE(fs::exists(fs::path(dir) / "Default" / "demo-results.dat"));
}

TEST(CommandLine, RefusalsSayWhy) {
  const TempFolder folder;
  const fs::path damagedStore = folder.Write("store.reg", "[HKEY_CLASSES_ROOT\\Half");
  // Arguments after a learning run's, or a whole command; the exit status; what stderr holds.
  const std::tuple<std::vector<std::string>, bool, int, const char*> cases[] = {
      {{"--set", "Learning=1e400"}, false, 2, "Learning=1e400: value out of range"},
      {{"--timeout", "nan"}, false, 2, "finite number of seconds greater than 0: nan"},
      {{"--timeout", "abc"}, false, 2, "not a number: abc"},
      {{"--probe-offsets", "0,inf,0"}, false, 2, "must be a finite number: inf"},
      {{"--save", ""}, false, 2, "--save: must not be empty"},
      {{"--save", "../x"}, false, 1, "--save ../x: not a bare file name"},
      {{"--save", std::string(260, 'n')}, false, 1, "longer than the file system allows"},
      {{kProgram, "idl", "-o", (folder.Path() / "none" / "x.idl").string()},
       true,
       1,
       "ombrixdc: cannot write "},
      {{kProgram, "register"}, true, 1, "store.reg: not a registry export: line 1"},
  };
  for (const auto& [extra, wholeCommand, exitStatus, stderrText] : cases) {
    std::vector<std::string> args = wholeCommand ? extra : RunArgs(folder, 1, 0);
    if (!wholeCommand) {
      args.insert(args.end(), extra.begin(), extra.end());
    }
    const ChildResult r = RunChild(args, {"OMBRIXDC_REGISTRY=" + damagedStore.string()});
    EXPECT_EQ(r.exitStatus, exitStatus) << extra.back() << ": " << r.err;
    EXPECT_NE(r.err.find(stderrText), std::string::npos) << r.err;
    if (exitStatus == 1 && !wholeCommand) {  // the run was good; only the save failed
      EXPECT_NE(r.out.find("SaveData 0\n"), std::string::npos) << r.out;
    }
  }
  EXPECT_FALSE(fs::exists(damagedStore.string() + ".lock"));
  EXPECT_EQ(FileText(damagedStore), "[HKEY_CLASSES_ROOT\\Half");  // left as it was
}

// A run that fails says on standard error which file, key or value caused it.
TEST(CommandLine, FailedRunsNameTheirCause) {
  const TempFolder folder;
  const auto withIni = [&](const std::string& ini) {
    std::vector<std::string> args = RunArgs(folder, 1, 0);
    const auto at = std::find(args.begin(), args.end(), "--ini");
    if (ini.empty()) {
      args.erase(at, at + 2);
    } else {
      at[1] = ini;
    }
    return args;
  };
  const fs::path noProbeSection =
      folder.Write("no-probe.ini", "[OmbrixDC]\nBufferPitch=0.05\nDCMapPitch=0.5\n");
  std::vector<std::string> offline = RunArgs(folder, 1, 0);
  offline.push_back("--offline");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {withIni(""), "IniFilepath is not set"},
      {withIni((folder.Path() / "nope.ini").string()), "nope.ini does not exist"},
      {withIni(noProbeSection.string()), "has no [KT410] KnownPartScanAcceleration"},
      {RunArgs(folder, 0, 0), "no stored map in " + (folder.Path() / "Default").string()},
      {offline, "raw scan file " + (folder.Path() / "Default" / "ScanSlow.dat").string()},
  };
  for (const auto& [args, cause] : cases) {
    const ChildResult r = RunChild(args);
    EXPECT_EQ(r.exitStatus, 1) << cause;
    EXPECT_NE(r.err.find(cause), std::string::npos) << r.err;
  }
  folder.Write("Default/System.dat", "Measuring unit and nothing else");
  const ChildResult damaged = RunChild(offline);
  EXPECT_NE(damaged.err.find("System.dat in the run directory"), std::string::npos) << damaged.err;
}

// What render and view say about a data sets file: a reference curve hidden for want of a
// repeatability, and a damaged file with where it is damaged (view shows what was read, but
// does not call the file good); and a program without its view module.
TEST(CommandLine, RenderAndViewSayWhatTheFileHolds) {
  const TempFolder folder;
  const std::string good = (GoldenFolder() / "results.dat").string();
  const std::string text = FileText(GoldenFolder() / "results.dat");
  const std::string cut = folder.Write("cut.dat", text.substr(0, text.rfind("Form:"))).string();
  const std::string png = (folder.Path() / "out.png").string();
  const fs::path alone = folder.Path() / "bin" / "ombrixdc";  // no view module beside it
  fs::create_directories(alone.parent_path());
  fs::copy_file(kProgram, alone);
  // The command, the exit status, what stderr holds.
  const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
      {{kProgram, "render", good, "-o", png}, 0, "the reference curve is hidden: its centre"},
      {{kProgram, "render", cut, "-o", png}, 1, "damaged (data set 6 of 6, line "},
      {{kProgram, "view", cut}, 1, "cut.dat is damaged (data set 6 of 6, line "},
      {{kProgram, "view", good}, 1, "give --ini with SlowSpeedRepeatability"},
      {{kProgram, "view", good}, 1, "no display"},
      {{alone.string(), "render", good, "-o", png}, 1, "(libombrixdc-view.so) is missing"},
  };
  for (const auto& [args, exitStatus, stderrText] : cases) {
    const ChildResult r = RunChild(args, {"DISPLAY="});
    EXPECT_EQ(r.exitStatus, exitStatus) << args[1] << " " << args[2] << ": " << r.err;
    EXPECT_NE(r.err.find(stderrText), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace ombrixdc
