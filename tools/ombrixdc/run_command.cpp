// `ombrixdc run`: create a component on the simulated controller, set its properties, ask for
// the start position, move there, run, and report every event on standard output; after a
// finished run, a summary of its results.
#include "tools/ombrixdc/run_command.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/vexa/machine_description.h"
#include "platform/vexa/simulated_machine.h"
#include "src/component/automation/vexa_circle_dc.h"
#include "src/component/circle_dc_component.h"
#include "src/component/start_position_input.h"
#include "tools/ombrixdc/completion_latch.h"
#include "tools/ombrixdc/error_line.h"
#include "tools/ombrixdc/number_checks.h"
#include "tools/ombrixdc/number_text.h"
#include "tools/ombrixdc/run_summary.h"
#include "tools/ombrixdc/run_wait.h"
#include "tools/ombrixdc/set_property.h"
#include "tools/ombrixdc/stop_signals.h"
#include "tools/ombrixdc/terminal_progress.h"

using namespace ombrixdc;

namespace {

struct RunOptions {
  std::string ini;
  bool offline = false;
  std::vector<std::string> sets;
  std::vector<double> probeOffsets{0.0, 0.0, 0.0};
  std::optional<std::string> save;
  std::string machine;
  double timeoutSeconds = 600.0;
  bool json = false;
};

// The lines a run prints as it goes; in JSON mode they are kept for the one JSON document.
class Transcript {
 public:
  explicit Transcript(bool collect) : collect_(collect) {}
  void Line(const std::string& text) {
    std::lock_guard lock(mutex_);
    if (collect_) {
      lines_.push_back(text);
      return;
    }
    TerminalLine(text);
  }
  std::vector<std::string> Lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  std::mutex mutex_;
  const bool collect_;
  std::vector<std::string> lines_;
};

// Prints each event as it arrives and lets the main thread wait for the end of the run.
class PrintingSink : public CircleDCEvents {
 public:
  PrintingSink(Transcript& out, CompletionLatch& latch) : out_(out), latch_(latch) {}
  void OnStatusChange(int32_t status) override {
    out_.Line("OnStatusChange " + std::to_string(status));
  }
  void PerformCircleComplete(int32_t success) override {
    out_.Line("PerformCircleComplete " + std::to_string(success));
    latch_.Complete(success);
  }
  void OnGraphicsClosed() override {}

 private:
  Transcript& out_;
  CompletionLatch& latch_;
};

// Why SaveData refused `name`, from the error and the reason it recorded.
std::string SaveRefusal(uint32_t code, const std::string& name, const std::string& reason) {
  constexpr size_t kLongestFileName = 255;  // bytes, on the usual file systems
  if (code == ErrorCode(ErrorNumber::DataSetsFileNameInvalid)) {
    return "not a bare file name (it must not be \".\" or \"..\" nor contain '/' or '\\'); the "
           "file is always written in the run directory";
  }
  if (code == ErrorCode(ErrorNumber::DataSetsFileNotWritten) &&
      name.size() + (name.find('.') == std::string::npos ? 4 : 0) > kLongestFileName) {
    return "the file name is longer than the file system allows (255 bytes)";
  }
  if (code == ErrorCode(ErrorNumber::DataSetsFileNotWritten)) {
    return reason.empty() ? "the file could not be written" : reason;
  }
  return "refused with GetLastError " + HexCode(code);
}

// The simulator's machine: the one the description file gives, or the default one. Nullopt,
// said on standard error, when the file cannot be loaded.
std::optional<vexa_sim::MachineConfig> MachineOf(const RunOptions& options) {
  if (options.machine.empty()) {
    return vexa_sim::MachineConfig{};
  }
  std::string error;
  std::optional<vexa_sim::MachineConfig> loaded =
      vexa_sim::LoadMachineDescription(options.machine, &error);
  if (!loaded) {
    std::fprintf(stderr, "ombrixdc: %s\n", error.c_str());
  }
  return loaded;
}

// IniFilepath, OfflineTesting and each --set property, in order. False, said on standard
// error, when a --set is refused.
bool SetProperties(Vexa_CircleDC& object, const RunOptions& options) {
  CircleDCComponent& component = object.Component();
  if (!options.ini.empty()) {
    component.IniFilepath.Set(options.ini);
  }
  if (options.offline) {
    component.OfflineTesting.Set(1);
  }
  for (const std::string& assignment : options.sets) {
    std::string error;
    if (!SetProperty(static_cast<IVexa_CircleDC*>(&object), assignment, &error)) {
      std::fprintf(stderr, "ombrixdc: --set %s: %s\n", assignment.c_str(), error.c_str());
      return false;
    }
  }
  return true;
}

// GetStartPosition and its line; then the simulated probe moves there (unless offline) and
// the probe offsets are entered. False, with the error line and its reason, when it fails.
bool PrepareStart(CircleDCComponent& component, vexa_sim::SimulatedMachine& machine,
                  const RunOptions& options, Transcript& out) {
  double x = 0, y = 0, z = 0;
  LONG success = 0;
  component.GetStartPosition(&x, &y, &z, &success);
  out.Line("StartPosition " + ShortestText(x) + " " + ShortestText(y) + " " + ShortestText(z) +
           " " + std::to_string(success));
  if (!success) {
    const std::string reason = component.LastErrorReason();
    out.Line(ErrorCodeLine(component.GetLastError()));
    if (!reason.empty()) {
      std::fprintf(stderr, "ombrixdc: GetStartPosition: %s\n", reason.c_str());
    }
    return false;
  }
  if (!options.offline) {
    machine.SetTip(CMaPoint(x, y, z));
  }
  // The option's check lets only finite numbers through, and those are always taken; were
  // they refused, PerformCircle would fail with StartPositionOrOffsets and say so.
  static_cast<void>(component.EnterProbeOffsets(options.probeOffsets[0], options.probeOffsets[1],
                                                options.probeOffsets[2]));
  return true;
}

// PerformCircle, then the wait for its end: PerformCircleComplete's value, when it came.
std::optional<int32_t> PerformAndWait(CircleDCComponent& component, CompletionLatch& latch,
                                      StopSignals& signals, double timeoutSeconds,
                                      ScanProgress& progress) {
  component.PerformCircle();
  // A run that is still going is waited for (bounded). One that has already ended may not
  // have fired PerformCircleComplete yet: joining its worker makes sure it has, and a refused
  // run (no worker) is not waited for.
  std::optional<int32_t> completed;
  if (component.RunInProgress()) {
    completed = WaitForRun(component, latch, signals, timeoutSeconds, progress);
  }
  component.WaitForRuns();
  if (!completed) {
    completed = latch.Wait(std::chrono::seconds(0));
  }
  return completed;
}

// The line of the code the run left, with its reason on standard error; the code.
uint32_t ReportRunError(CircleDCComponent& component, Transcript& out) {
  const std::string reason = component.LastErrorReason();
  const uint32_t error = component.GetLastError();
  out.Line(ErrorCodeLine(error));
  if (error != 0 && !reason.empty()) {
    std::fprintf(stderr, "ombrixdc: %s\n", reason.c_str());
  }
  return error;
}

// SaveData of --save and its line; false, with why on standard error, when it was refused.
bool SaveResults(CircleDCComponent& component, const std::string& name, Transcript& out) {
  LONG success = 0;
  component.SaveData(name, &success);
  out.Line("SaveData " + std::to_string(success));
  if (!success) {
    const std::string reason = component.LastErrorReason();  // before GetLastError clears it
    std::fprintf(stderr, "ombrixdc: --save %s: %s\n", name.c_str(),
                 SaveRefusal(component.GetLastError(), name, reason).c_str());
  }
  return success != 0;
}

// The summary of a finished run after the lines, or with them in the one JSON document.
void PrintSummary(const std::optional<RunSummary>& summary, Transcript& out, bool json) {
  if (json) {
    std::fputs(SummaryJson(out.Lines(), summary).c_str(), stdout);
    return;
  }
  if (summary) {
    out.Line("");
    for (const std::string& line : SummaryLines(*summary)) {
      out.Line(line);
    }
  }
}

int Run(const RunOptions& options) {
  const std::optional<vexa_sim::MachineConfig> config = MachineOf(options);
  if (!config) {
    return 2;
  }
  Transcript out(options.json);
  CompletionLatch latch;
  // Before any other thread starts, so every thread leaves the stop signals to it.
  StopSignals signals([&latch] { latch.Interrupt(); });

  vexa_sim::RegisterSimulatedController();
  auto machine = std::make_shared<vexa_sim::SimulatedMachine>(*config);
  ComPtr<IVexa_link> link = vexa_sim::MakeSimulatedLink(machine);

  // Scan progress on a terminal; never in JSON or in piped output.
  ScanProgress progress(*machine, !options.json && ScanProgress::OutputIsTerminal());
  ComPtr<Vexa_CircleDC> object = MakeComObject<Vexa_CircleDC>();
  CircleDCComponent& component = object->Component();
  component.Sinks.Connect(std::make_shared<PrintingSink>(out, latch));
  LONG initialised = 0;
  component.InitialiseObject(link.Get(), nullptr, &initialised);
  if (!SetProperties(*object.Get(), options)) {
    return 2;
  }
  if (!PrepareStart(component, *machine, options, out)) {
    PrintSummary(std::nullopt, out, options.json);
    return 1;
  }

  const std::optional<int32_t> completed =
      PerformAndWait(component, latch, signals, options.timeoutSeconds, progress);
  const uint32_t error = ReportRunError(component, out);
  const bool aborted = component.GetCurrentCircleStatus() == E_OMBRIX_DC_CIRCLE_ABORTED;
  bool good = completed == 1 && error == 0 && !aborted;
  if (good && options.save) {
    good = SaveResults(component, *options.save, out);
  }
  PrintSummary(good ? std::optional(SummariseRun(component)) : std::nullopt, out, options.json);
  if (aborted || signals.Received()) {
    return kExitAborted;
  }
  return good ? 0 : 1;
}

}  // namespace

void AddRunCommand(CLI::App& app) {
  auto options = std::make_shared<RunOptions>();
  CLI::App* run =
      app.add_subcommand("run", "Drive one component through a run and print its events");
  run->add_option("--ini", options->ini, "Settings file (IniFilepath)");
  run->add_flag("--offline", options->offline, "Replay the raw scan files of the run directory");
  run->add_option("--set", options->sets, "Set a property: NAME=VALUE (repeatable, in order)");
  run->add_option("--probe-offsets", options->probeOffsets, "Probe offsets X,Y,Z")
      ->delimiter(',')
      ->expected(3)
      ->check(FiniteNumber());
  run->add_option("--save", options->save,
                  "After a good run, save the data sets file NAME in the run directory (a bare "
                  "file name; \".dat\" is added when it has no full stop)")
      ->check(NonEmptyText());
  run->add_option("--machine", options->machine, "Machine description file of the simulator");
  run->add_option("--timeout", options->timeoutSeconds, "Seconds to wait for the run to end")
      ->check(PositiveSeconds());
  run->add_flag("--json", options->json,
                "Print one JSON document (the event lines and the run's results) instead");
  run->callback([options] { throw CLI::RuntimeError(Run(*options)); });
}
