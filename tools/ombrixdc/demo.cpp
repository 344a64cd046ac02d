// The demonstration on the simulated machine: learn the compensation map of a bore with a
// slow and a fast scan, then measure the same bore again at the fast speed and correct it
// with the stored map, and show how much of the fast scan's dynamic error was removed.
#include "tools/ombrixdc/demo.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "platform/vexa/simulated_machine.h"
#include "src/component/circle_dc_component.h"
#include "tools/ombrixdc/completion_latch.h"
#include "tools/ombrixdc/demo_picture.h"
#include "tools/ombrixdc/error_line.h"
#include "tools/ombrixdc/run_wait.h"
#include "tools/ombrixdc/stop_signals.h"
#include "tools/ombrixdc/terminal_progress.h"

using namespace ombrixdc;

namespace fs = std::filesystem;

namespace {

constexpr double kFeatureRadius = 10.0;
constexpr double kSlowSpeed = 5.0;
constexpr double kFastSpeed = 60.0;
// How long one run of the simulated machine may take.
constexpr double kRunLimitSeconds = 600.0;

// Marks a folder as the demonstration's own: only such a folder (or an empty one) is written,
// and only there are old maps cleared.
constexpr const char* kMarkerName = ".ombrixdc-demo";

class PrintingSink : public CircleDCEvents {
 public:
  PrintingSink(CircleDCComponent& component, CompletionLatch& latch)
      : component_(component), latch_(latch) {}
  void OnStatusChange(int32_t status) override {
    TerminalLine("  status " + std::to_string(status) + "  " + CircleStatusName(status));
  }
  // A run that was aborted or failed has ended but is not complete, whatever its success.
  void PerformCircleComplete(int32_t success) override {
    const int32_t status = component_.GetCurrentCircleStatus();
    if (status == E_OMBRIX_DC_CIRCLE_ABORTED) {
      TerminalLine("  run aborted, no result");
    } else if (status == E_OMBRIX_DC_CIRCLE_ERROR || success == 0) {
      TerminalLine("  run failed, no result");
    } else {
      TerminalLine("  run complete, success " + std::to_string(success));
    }
    latch_.Complete(success);
  }
  void OnGraphicsClosed() override {}

 private:
  CircleDCComponent& component_;
  CompletionLatch& latch_;
};

// The names the demonstration writes in its folder, and in its run directory.
constexpr const char* kSettingsName = "OmbrixDC.ini";
constexpr const char* kPictureName = "radial-error.png";
constexpr const char* kRunFolderName = "Default";
constexpr const char* kResultsName = "demo-results.dat";

bool Refuse(const fs::path& path, const char* why) {
  std::fprintf(stderr, "ombrixdc: %s %s\n", path.c_str(), why);
  return false;
}

// A folder another user can write could hold links planted to make the demonstration delete
// or overwrite that user's target: refuse a folder that is a link, is not ours or is writable
// by others.
bool FolderIsPrivateEnough(const fs::path& folder) {
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0) {
    return Refuse(folder, "cannot be examined");
  }
  if (S_ISLNK(info.st_mode)) {
    return Refuse(folder, "is a symbolic link; give the demo the folder itself");
  }
  if (!S_ISDIR(info.st_mode)) {
    return Refuse(folder, "is not a folder");
  }
  if (info.st_uid != geteuid() || (info.st_mode & S_IWOTH) != 0) {
    return Refuse(folder,
                  "belongs to another user or is writable by other users; the demo clears "
                  "and writes files there, so give it a folder of your own");
  }
  return true;
}

// The demonstration never follows a link it did not make: a link in place of one of the files
// or the folder it writes is refused, not written through.
bool NoPlantedLinks(const fs::path& folder) {
  const fs::path own[] = {folder / kMarkerName, folder / kSettingsName, folder / kPictureName,
                          folder / kRunFolderName, folder / kRunFolderName / kResultsName};
  for (const fs::path& path : own) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
      return Refuse(path, "is a symbolic link the demo did not make; remove it first");
    }
  }
  return true;
}

// The demonstration's folder: a new or empty folder is made its own; a folder it made before
// has its old maps and results cleared; any other folder is refused, since the demonstration
// writes its settings file there and clears map files. False (with the reason printed) when
// refused.
bool PrepareFolder(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    std::fprintf(stderr, "ombrixdc: cannot create %s: %s\n", folder.c_str(), ec.message().c_str());
    return false;
  }
  if (!FolderIsPrivateEnough(folder) || !NoPlantedLinks(folder)) {
    return false;
  }
  if (!fs::exists(folder / kMarkerName)) {
    if (!fs::is_empty(folder, ec)) {
      std::fprintf(stderr,
                   "ombrixdc: %s is not empty and was not made by the demo; the demo writes "
                   "OmbrixDC.ini and map files there, so give it a new or empty folder\n",
                   folder.c_str());
      return false;
    }
    std::ofstream marker(folder / kMarkerName);
    if (!(marker << "Folder of the OmbrixDC demonstration.\n").flush()) {
      std::fprintf(stderr, "ombrixdc: cannot write in %s: %s\n", folder.c_str(),
                   std::strerror(errno));
      return false;
    }
  }
  // A fresh start: maps learnt by an earlier demonstration would be found and reused, and its
  // picture and results would look like this one's if this one does not finish. Removing an
  // entry removes a link itself, never its target.
  fs::remove(folder / kPictureName, ec);
  fs::remove(folder / kRunFolderName / kResultsName, ec);
  for (const auto& entry : fs::directory_iterator(folder / kRunFolderName, ec)) {
    const auto ext = entry.path().extension();
    if (ext == ".rsm" || ext == ".rsd") {
      fs::remove(entry.path(), ec);
    }
  }
  return true;
}

// The default folder, private to the user: ombrixdc-demo in the user's cache folder, made
// with mode 0700. Without a home folder, a new folder of its own in the temporary folder.
std::optional<fs::path> DefaultFolder() {
  fs::path cache;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && fs::path(xdg).is_absolute()) {
    cache = xdg;
  } else if (const char* home = std::getenv("HOME"); home && fs::path(home).is_absolute()) {
    cache = fs::path(home) / ".cache";
  }
  if (cache.empty()) {
    std::string pattern = (fs::temp_directory_path() / "ombrixdc-demo-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::fprintf(stderr, "ombrixdc: cannot create a folder in %s: %s\n",
                   fs::temp_directory_path().c_str(), std::strerror(errno));
      return std::nullopt;
    }
    return fs::path(pattern);
  }
  std::error_code ec;
  fs::create_directories(cache, ec);
  const fs::path folder = cache / "ombrixdc-demo";
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "ombrixdc: cannot create %s: %s\n", folder.c_str(), std::strerror(errno));
    return std::nullopt;
  }
  return folder;
}

enum class RunEnd { Succeeded, Failed, Aborted };

// Waits for the run's end; a stop signal asks it to abort and waits a bounded time for that.
RunEnd WaitForRunEnd(CircleDCComponent& c, vexa_sim::SimulatedMachine& machine,
                     CompletionLatch& latch, const StopSignals& signals) {
  if (c.RunInProgress()) {
    ScanProgress progress(machine, ScanProgress::OutputIsTerminal());
    WaitForRun(c, latch, signals, kRunLimitSeconds, progress);
  }
  c.WaitForRuns();
  if (signals.Received() || c.GetCurrentCircleStatus() == E_OMBRIX_DC_CIRCLE_ABORTED) {
    return RunEnd::Aborted;
  }
  return RunEnd::Succeeded;
}

// One run from the start position; Failed (with the error printed) when it did not succeed.
RunEnd Run(CircleDCComponent& c, vexa_sim::SimulatedMachine& machine, CompletionLatch& latch,
           const StopSignals& signals, const char* title) {
  std::printf("\n%s\n", title);
  double x = 0, y = 0, z = 0;
  LONG success = 0;
  c.GetStartPosition(&x, &y, &z, &success);
  if (!success) {
    std::printf("  GetStartPosition failed: %s\n", ErrorCodeLine(c.GetLastError()).c_str());
    return RunEnd::Failed;
  }
  machine.SetTip(CMaPoint(x, y, z));  // the measuring application moves the probe there
  static_cast<void>(c.EnterProbeOffsets(0.0, 0.0, 0.0));  // zero offsets are always taken
  latch.Reset();
  c.PerformCircle();
  const RunEnd end = WaitForRunEnd(c, machine, latch, signals);
  const uint32_t error = c.GetLastError();
  if (error != 0) {
    std::printf("  %s\n", ErrorCodeLine(error).c_str());
    return end == RunEnd::Aborted ? end : RunEnd::Failed;
  }
  return end;
}

double FormMicrons(CircleDCComponent& c, EDataType type) {
  DataSetPoints points;
  LONG success = 0;
  c.GetData(type, &points, &success);
  return success ? points.form * 1000.0 : std::nan("");
}

// Root mean square of the radial difference of two data sets on the map grid, in microns.
double RmsDifferenceMicrons(const DataSet& a, const DataSet& b) {
  const size_t n = std::min(a.radii.GetSize(), b.radii.GetSize());
  if (n == 0) {
    return std::nan("");
  }
  double sum = 0.0;
  for (size_t i = 0; i < n; ++i) {
    sum += (a.radii[i] - b.radii[i]) * (a.radii[i] - b.radii[i]);
  }
  return std::sqrt(sum / static_cast<double>(n)) * 1000.0;
}

void PrintSummary(CircleDCComponent& c) {
  const PublishedRunResults results = c.Results();
  if (!results) {
    return;
  }
  const DataSet& slow = results->dataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW];
  const double fastError =
      RmsDifferenceMicrons(results->dataSets[E_OMBRIX_DC_CIRCLE_DATA_FAST], slow);
  const double correctedError =
      RmsDifferenceMicrons(results->dataSets[E_OMBRIX_DC_CIRCLE_DATA_CORRECTED], slow);
  std::printf("\nBore of radius %.1f mm, compensated run against the stored map\n", kFeatureRadius);
  std::printf("  %-26s %10s %12s %22s\n", "scan", "speed", "form", "rms error vs reference");
  std::printf("  %-26s %6.1f mm/s %9.3f um %19s\n", "slow (reference)", kSlowSpeed,
              FormMicrons(c, E_OMBRIX_DC_CIRCLE_DATA_SLOW), "-");
  std::printf("  %-26s %6.1f mm/s %9.3f um %19.3f um\n", "fast", c.FastSpeed.Get(),
              FormMicrons(c, E_OMBRIX_DC_CIRCLE_DATA_FAST), fastError);
  std::printf("  %-26s %6.1f mm/s %9.3f um %19.3f um\n", "fast, compensated", c.FastSpeed.Get(),
              FormMicrons(c, E_OMBRIX_DC_CIRCLE_DATA_CORRECTED), correctedError);
  if (fastError > 0.0) {
    std::printf("\nCompensation removed %.1f %% of the fast scan's dynamic error.\n",
                100.0 * (1.0 - correctedError / fastError));
  }
}

int RunDemoIn(const fs::path& folder);

}  // namespace

int RunDemo(const DemoOptions& options) {
  const std::optional<fs::path> folder =
      options.directory.empty() ? DefaultFolder() : std::optional(fs::path(options.directory));
  if (!folder || !PrepareFolder(*folder)) {
    return 1;
  }
  return RunDemoIn(*folder);
}

namespace {

int RunDemoIn(const fs::path& folder) {
  CompletionLatch latch;
  // Before any other thread starts, so every thread leaves the stop signals to it.
  StopSignals signals([&latch] { latch.Interrupt(); });

  vexa_sim::RegisterSimulatedController();
  vexa_sim::MachineConfig config;
  config.featureCentre = CMaPoint(250.0, 120.0, -40.0);
  auto machine = std::make_shared<vexa_sim::SimulatedMachine>(config);
  ComPtr<IVexa_link> link = vexa_sim::MakeSimulatedLink(machine);

  CircleDCComponent component;
  component.Sinks.Connect(std::make_shared<PrintingSink>(component, latch));
  LONG success = 0;
  component.InitialiseObject(link.Get(), nullptr, &success);
  const std::optional<fs::path> settings = WriteDemoSettingsFile(folder);
  if (!settings) {
    return 1;
  }
  component.IniFilepath.Set(settings->string());
  component.FeatureRadius.Set(kFeatureRadius);
  component.TipRadius.Set(1.0);
  component.ScanDeflection.Set(0.3);
  component.SlowSpeed.Set(kSlowSpeed);
  component.ModeParameter.Set(kFastSpeed);
  component.HeaderInfo[0].Set(std::string("OmbrixDC demonstration on the simulated machine"));

  std::printf("Run directory: %s\n", (folder / kRunFolderName).c_str());
  const std::pair<ELearning, const char*> steps[] = {
      {E_OMBRIX_DC_CIRCLE_LEARNING, "1. Learning: slow reference scan and fast scan"},
      {E_OMBRIX_DC_CIRCLE_NO_LEARNING, "2. Measuring: fast scan corrected with the stored map"}};
  for (const auto& [learning, title] : steps) {
    component.Learning.Set(learning);
    const RunEnd end = Run(component, *machine, latch, signals, title);
    if (end == RunEnd::Aborted) {
      std::printf("\nDemonstration aborted.\n");
      return kExitAborted;
    }
    if (end == RunEnd::Failed) {
      return 1;
    }
  }

  component.SaveData(fs::path(kResultsName).stem().string(), &success);
  if (!success) {
    std::printf("SaveData failed: GetLastError 0x%08X\n", component.GetLastError());
    return 1;
  }
  std::printf("\nData sets saved to %s\n", (folder / kRunFolderName / kResultsName).c_str());
  PrintSummary(component);
  WriteRadialErrorPicture(component, folder / kPictureName);
  return 0;
}

}  // namespace

std::optional<fs::path> WriteDemoSettingsFile(const fs::path& folder) {
  const fs::path file = folder / kSettingsName;
  std::ofstream out(file);
  out << "; Tuning settings of the demonstration machine\n"
         "[MoveConfiguration]\nPositionalTolerance=0.01\n\n"
         "[KT410]\nKnownPartScanAcceleration=200.0\n\n"
         "[OmbrixDC]\nBufferPitch=0.05\nDCMapPitch=0.5\nDCSpeedFactor=10.0\n"
         "DCStartAngle=45.0\nScanSettlingTime=0\nTimeOut=-1\n"
         "WorkingDirectory="
      << (folder / "").string() << "\n";
  if (!out.flush()) {
    std::fprintf(stderr, "ombrixdc: cannot write %s: %s\n", file.c_str(), std::strerror(errno));
    return std::nullopt;
  }
  return file;
}
