#include "tools/ombrixdc/sweep_command.h"

#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/vexa/machine_description.h"
#include "platform/vexa/simulated_machine.h"
#include "src/component/automation/vexa_circle_dc.h"
#include "src/component/circle_dc_component.h"
#include "src/services/settings_read.h"
#include "src/viewer/render_view.h"
#include "tools/ombrixdc/completion_latch.h"
#include "tools/ombrixdc/demo.h"
#include "tools/ombrixdc/error_line.h"
#include "tools/ombrixdc/number_checks.h"
#include "tools/ombrixdc/number_text.h"
#include "tools/ombrixdc/run_wait.h"
#include "tools/ombrixdc/set_property.h"
#include "tools/ombrixdc/stop_signals.h"
#include "tools/ombrixdc/sweep_chart.h"
#include "tools/ombrixdc/sweep_table.h"
#include "tools/ombrixdc/terminal_progress.h"

using namespace ombrixdc;

namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.14159265358979323846;

// The limit when the settings give no machine repeatability: the width the Radial Error View
// draws its repeatability band with in that case.
constexpr double kDefaultLimitUm = 1.0;

// The feature the sweep measures unless --set says otherwise: the demonstration's bore.
constexpr const char* kFeatureDefaults[] = {"Mode=0", "FeatureRadius=10", "TipRadius=1",
                                            "ScanDeflection=0.3", "SlowSpeed=5"};

struct SweepOptions {
  std::string ini;
  std::vector<std::string> sets;
  std::vector<double> speeds;
  std::optional<double> limitUm;
  std::string chart;
  std::string machine;
  double timeoutSeconds = 600.0;
  bool json = false;
};

class Sink : public CircleDCEvents {
 public:
  explicit Sink(CompletionLatch& latch) : latch_(latch) {}
  void OnStatusChange(int32_t) override {}
  void PerformCircleComplete(int32_t success) override { latch_.Complete(success); }
  void OnGraphicsClosed() override {}

 private:
  CompletionLatch& latch_;
};

// A folder of its own for a sweep without --ini, removed when the sweep ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string name = (fs::temp_directory_path() / "ombrixdc-sweep-XXXXXX").string();
    if (mkdtemp(name.data())) {
      path_ = name;
    }
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) {
      fs::remove_all(path_, ec);
    }
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// The demonstration machine's tuning settings, with the run directory in `folder`.
enum class RunEnd { Succeeded, Failed, Aborted };

struct Session {
  std::shared_ptr<vexa_sim::SimulatedMachine> machine;
  ComPtr<IVexa_link> link;
  ComPtr<Vexa_CircleDC> object;
  CompletionLatch* latch;
  const StopSignals* signals;
  const SweepOptions* options;
  CircleDCComponent& Component() { return object->Component(); }
};

// One run from the start position with `learning`, as `ombrixdc run` drives one; on a failure
// *why says what went wrong.
RunEnd RunOnce(Session& s, int32_t learning, std::string* why) {
  CircleDCComponent& c = s.Component();
  c.Learning.Set(learning);
  double x = 0, y = 0, z = 0;
  LONG success = 0;
  c.GetStartPosition(&x, &y, &z, &success);
  if (!success) {
    const std::string reason = c.LastErrorReason();  // read before GetLastError clears it
    *why = "GetStartPosition: " + ErrorCodeLine(c.GetLastError()) +
           (reason.empty() ? "" : " (" + reason + ")");
    return RunEnd::Failed;
  }
  s.machine->SetTip(CMaPoint(x, y, z));
  static_cast<void>(c.EnterProbeOffsets(0.0, 0.0, 0.0));  // zero offsets are always taken
  s.latch->Reset();
  c.PerformCircle();
  std::optional<int32_t> completed;
  if (c.RunInProgress()) {
    ScanProgress progress(*s.machine, !s.options->json && ScanProgress::OutputIsTerminal());
    completed = WaitForRun(c, *s.latch, *s.signals, s.options->timeoutSeconds, progress);
  }
  c.WaitForRuns();
  if (!completed) {
    completed = s.latch->Wait(std::chrono::seconds(0));
  }
  if (s.signals->Received() || c.GetCurrentCircleStatus() == E_OMBRIX_DC_CIRCLE_ABORTED) {
    return RunEnd::Aborted;
  }
  const std::string reason = c.LastErrorReason();
  const uint32_t error = c.GetLastError();
  if (completed != 1 || error != 0) {
    *why = (learning ? "learning run: " : "compensated run: ") + ErrorCodeLine(error) +
           (reason.empty() ? "" : " (" + reason + ")");
    return RunEnd::Failed;
  }
  return RunEnd::Succeeded;
}

// The fast scan's duration on the machine: its path, overtravel included, over its speed.
double LastScanSeconds(const vexa_sim::SimulatedMachine& machine) {
  const std::optional<vexa_sim::CircleScanRequest> scan = machine.LastScan();
  if (!scan || !(scan->speed > 0.0)) {
    return std::nan("");
  }
  return kPi * scan->pathDiameter * (1.0 + scan->overtravel / 360.0) / scan->speed;
}

// On a terminal, the step under way; piped output carries only the results.
void Step(const SweepOptions& options, const std::string& text) {
  if (!options.json && ScanProgress::OutputIsTerminal()) {
    TerminalLine(text);
  }
}

int Sweep(const SweepOptions& options) {
  vexa_sim::MachineConfig config;
  if (!options.machine.empty()) {
    std::string error;
    std::optional<vexa_sim::MachineConfig> loaded =
        vexa_sim::LoadMachineDescription(options.machine, &error);
    if (!loaded) {
      std::fprintf(stderr, "ombrixdc: %s\n", error.c_str());
      return 2;
    }
    config = *loaded;
  }
  std::optional<ScratchFolder> scratch;
  std::string ini = options.ini;
  if (ini.empty()) {
    scratch.emplace();
    if (scratch->Path().empty()) {
      std::fprintf(stderr, "ombrixdc: cannot make a folder in %s\n",
                   fs::temp_directory_path().c_str());
      return 1;
    }
    const std::optional<fs::path> written = WriteDemoSettingsFile(scratch->Path());
    if (!written) {
      return 1;
    }
    ini = written->string();
  }

  CompletionLatch latch;
  // Before any other thread starts, so every thread leaves the stop signals to it.
  StopSignals signals([&latch] { latch.Interrupt(); });
  vexa_sim::RegisterSimulatedController();
  Session s{std::make_shared<vexa_sim::SimulatedMachine>(config),
            {},
            MakeComObject<Vexa_CircleDC>(),
            &latch,
            &signals,
            &options};
  s.link = vexa_sim::MakeSimulatedLink(s.machine);
  CircleDCComponent& c = s.Component();
  c.Sinks.Connect(std::make_shared<Sink>(latch));
  LONG success = 0;
  c.InitialiseObject(s.link.Get(), nullptr, &success);
  c.IniFilepath.Set(ini);
  IDispatch* dispatch = static_cast<IVexa_CircleDC*>(s.object.Get());
  std::vector<std::string> assignments(std::begin(kFeatureDefaults), std::end(kFeatureDefaults));
  assignments.insert(assignments.end(), options.sets.begin(), options.sets.end());
  for (const std::string& assignment : assignments) {
    std::string error;
    if (!SetProperty(dispatch, assignment, &error)) {
      std::fprintf(stderr, "ombrixdc: --set %s: %s\n", assignment.c_str(), error.c_str());
      return 2;
    }
  }
  double limitUm = kDefaultLimitUm;
  if (options.limitUm) {
    limitUm = *options.limitUm;
  } else if (const auto settings = ReadViewerSettings(c.IniFilepath.Get().value_or(""));
             settings && settings->slowSpeedRepeatability > 0.0) {
    limitUm = settings->slowSpeedRepeatability * 1000.0;
  }

  std::vector<SweepRow> rows;
  bool allMeasured = true;
  for (const double speed : options.speeds) {
    const std::string title = "Speed " + ShortestText(speed) + " mm/s (" +
                              std::to_string(rows.size() + 1) + " of " +
                              std::to_string(options.speeds.size()) + "): ";
    std::string error;
    SetProperty(dispatch, "ModeParameter=" + ShortestText(speed), &error);
    SweepRow row;
    RunEnd end = RunEnd::Failed;
    std::string why;
    Step(options, title + "learning the map");
    end = RunOnce(s, E_OMBRIX_DC_CIRCLE_LEARNING, &why);
    if (end == RunEnd::Succeeded) {
      Step(options, title + "measuring compensated");
      end = RunOnce(s, E_OMBRIX_DC_CIRCLE_NO_LEARNING, &why);
    }
    if (end == RunEnd::Aborted) {
      std::fprintf(stderr, "ombrixdc: sweep aborted\n");
      return kExitAborted;
    }
    if (end == RunEnd::Succeeded) {
      row = MeasureCompensatedRun(c);
      row.scanSeconds = LastScanSeconds(*s.machine);
    } else {
      row.failure = why;
    }
    row.requestedSpeed = speed;
    allMeasured = allMeasured && row.Measured();
    rows.push_back(row);
  }

  const std::optional<size_t> recommended = RecommendedRow(rows, limitUm);
  if (options.json) {
    std::fputs(SweepJson(rows, limitUm, recommended).c_str(), stdout);
  } else {
    for (const std::string& line : SweepTableLines(rows, limitUm, recommended)) {
      std::printf("%s\n", line.c_str());
    }
  }
  if (!options.chart.empty()) {
    std::string whyNot;
    if (!WriteSweepChart(options.chart, rows, limitUm, recommended, &whyNot)) {
      std::fprintf(stderr, "ombrixdc: -o %s: %s\n", options.chart.c_str(), whyNot.c_str());
      return 1;
    }
    if (!options.json) {
      std::printf("Chart written to %s\n", options.chart.c_str());
    }
  }
  return allMeasured ? 0 : 1;
}

}  // namespace

void AddSweepCommand(CLI::App& app) {
  auto options = std::make_shared<SweepOptions>();
  CLI::App* sweep = app.add_subcommand(
      "sweep",
      "Learn and measure compensated at each fast speed; recommend the fastest within a limit");
  sweep->add_option("--ini", options->ini,
                    "Settings file (IniFilepath); maps are learnt in its run directory. "
                    "Default: the demonstration's settings in a temporary folder");
  sweep->add_option("--set", options->sets,
                    "Set a property: NAME=VALUE (repeatable, in order; the feature starts as "
                    "the demonstration's bore, FeatureRadius 10, TipRadius 1, ScanDeflection "
                    "0.3, SlowSpeed 5)");
  sweep->add_option("--speeds", options->speeds, "Fast speeds in mm/s, e.g. 10,20,40,80")
      ->delimiter(',')
      ->required()
      ->check(::PositiveNumber("SPEED"));
  sweep
      ->add_option("--limit-um", options->limitUm,
                   "Largest compensated residual accepted, in um (default: the machine "
                   "repeatability SlowSpeedRepeatability of the settings, or 1 um without one)")
      ->check(::PositiveNumber("MICRONS"));
  // Checked before the sweep rather than after it.
  sweep
      ->add_option("-o,--output", options->chart,
                   "Draw both errors against the speed into this .png, .svg or .pdf file")
      ->check(PictureName());
  sweep->add_option("--machine", options->machine, "Machine description file of the simulator");
  sweep->add_option("--timeout", options->timeoutSeconds, "Seconds to wait for each run to end")
      ->check(PositiveSeconds());
  sweep->add_flag("--json", options->json, "Print one JSON document instead of the table");
  sweep->callback([options] { throw CLI::RuntimeError(Sweep(*options)); });
}
