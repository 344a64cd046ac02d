// `ombrixdc run`: create a component on the simulated controller, set its properties, ask for
// the start position, move there, run, and report every event on standard output.
#include "tools/ombrixdc/run_command.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>

#include "platform/vexa/machine_description.h"
#include "platform/vexa/simulated_machine.h"
#include "src/component/automation/put_property.h"
#include "src/component/automation/vexa_circle_dc.h"
#include "src/component/circle_dc_component.h"
#include "tools/ombrixdc/number_text.h"

using namespace ombrixdc;

namespace {

struct RunOptions {
  std::string ini;
  bool offline = false;
  std::vector<std::string> sets;
  std::vector<double> probeOffsets{0.0, 0.0, 0.0};
  std::string save;
  std::string machine;
  double timeoutSeconds = 600.0;
};

// Prints each event as it arrives and lets the main thread wait for the end of the run.
class PrintingSink : public CircleDCEvents {
 public:
  void OnStatusChange(int32_t status) override {
    std::printf("OnStatusChange %d\n", status);
    std::fflush(stdout);
  }
  void PerformCircleComplete(int32_t success) override {
    std::printf("PerformCircleComplete %d\n", success);
    std::fflush(stdout);
    std::lock_guard lock(mutex_);
    completed_ = true;
    success_ = success;
    done_.notify_all();
  }
  void OnGraphicsClosed() override {}

  // The PerformCircleComplete value, or nullopt when none arrived in time.
  std::optional<int32_t> WaitForCompletion(std::chrono::duration<double> timeout) {
    std::unique_lock lock(mutex_);
    if (!done_.wait_for(lock, timeout, [this] { return completed_; }))
      return std::nullopt;
    return success_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool completed_ = false;
  int32_t success_ = 0;
};

// Puts one NAME=VALUE through the object's dispatch interface, as a script would.
bool SetProperty(IDispatch* object, std::string_view assignment, std::string* error) {
  const size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) {
    *error = "expected NAME=VALUE";
    return false;
  }
  const HRESULT hr =
      PutPropertyByName(object, assignment.substr(0, equals), assignment.substr(equals + 1));
  if (SUCCEEDED(hr))
    return true;
  if (hr == DISP_E_UNKNOWNNAME) {
    *error = "no such property";
  } else if (hr == DISP_E_MEMBERNOTFOUND) {
    *error = "not a property that can be set";
  } else if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW) {
    *error = "not a valid value for this property";
  } else {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<uint32_t>(hr));
    *error = std::string("refused with ") + code;
  }
  return false;
}

// The code, and for a code the error table lists, its name and meaning.
void PrintErrorCode(uint32_t code) {
  const ErrorEntry* entry = FindErrorCode(code);
  if (entry) {
    std::printf("GetLastError 0x%08X %.*s: %.*s\n", code, static_cast<int>(entry->name.size()),
                entry->name.data(), static_cast<int>(entry->meaning.size()), entry->meaning.data());
  } else {
    std::printf("GetLastError 0x%08X\n", code);
  }
}

void PrintLastError(CircleDCComponent& c) {
  PrintErrorCode(c.GetLastError());
}

int Run(const RunOptions& options) {
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
  vexa_sim::RegisterSimulatedController();
  auto machine = std::make_shared<vexa_sim::SimulatedMachine>(config);
  ComPtr<IVexa_link> link = vexa_sim::MakeSimulatedLink(machine);

  ComPtr<Vexa_CircleDC> object = MakeComObject<Vexa_CircleDC>();
  CircleDCComponent& component = object->Component();
  auto sink = std::make_shared<PrintingSink>();
  component.Sinks.Connect(sink);
  LONG success = 0;
  component.InitialiseObject(link.Get(), nullptr, &success);
  if (!options.ini.empty())
    component.IniFilepath.Set(options.ini);
  if (options.offline)
    component.OfflineTesting.Set(1);
  for (const std::string& assignment : options.sets) {
    std::string error;
    if (!SetProperty(static_cast<IVexa_CircleDC*>(object.Get()), assignment, &error)) {
      std::fprintf(stderr, "ombrixdc: --set %s: %s\n", assignment.c_str(), error.c_str());
      return 2;
    }
  }

  double x = 0, y = 0, z = 0;
  component.GetStartPosition(&x, &y, &z, &success);
  std::printf("StartPosition %s %s %s %d\n", ShortestText(x).c_str(), ShortestText(y).c_str(),
              ShortestText(z).c_str(), success);
  if (!success) {
    PrintLastError(component);
    return 1;
  }
  if (!options.offline)
    machine->SetTip(CMaPoint(x, y, z));
  component.EnterProbeOffsets(options.probeOffsets[0], options.probeOffsets[1],
                              options.probeOffsets[2]);

  component.PerformCircle();
  // A worker marks itself finished only after its PerformCircleComplete, so when none is
  // running any completion has already been recorded: a run that ends before this check is
  // still reported, and a refused run (no worker) is not waited for.
  const bool running = component.RunInProgress();
  std::optional<int32_t> completed = sink->WaitForCompletion(
      std::chrono::duration<double>(running ? options.timeoutSeconds : 0.0));
  if (running && !completed) {
    std::fprintf(stderr, "ombrixdc: no PerformCircleComplete within %g s; aborting the run\n",
                 options.timeoutSeconds);
    component.Abort();
  }
  component.WaitForRuns();
  const uint32_t error = component.GetLastError();
  PrintErrorCode(error);
  bool good = completed == 1 && error == 0;

  if (good && !options.save.empty()) {
    component.SaveData(options.save, &success);
    std::printf("SaveData %d\n", success);
    good = success != 0;
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
      ->expected(3);
  run->add_option("--save", options->save, "Save the data sets file NAME after a good run");
  run->add_option("--machine", options->machine, "Machine description file of the simulator");
  run->add_option("--timeout", options->timeoutSeconds, "Seconds to wait for the run to end")
      ->check(CLI::PositiveNumber);
  run->callback([options] { throw CLI::RuntimeError(Run(*options)); });
}
