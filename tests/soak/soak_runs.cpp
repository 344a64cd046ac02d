// A long-running check for leaks: alternating learning and compensated runs on one component
// and one simulated machine, in one process, sampling resident memory and open file
// descriptors every 100 runs. Fails when either has grown since the first sample.
// Usage: ombrixdc_soak [RUNS] (default 1000, a multiple of 100).
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/vexa/simulated_machine.h"
#include "src/component/circle_dc_component.h"
#include "src/component/process_state.h"
#include "tests/support/run_settings.h"

using namespace ombrixdc;

namespace {

// Allocator noise: the heap may keep a few freed pages around without anything leaking.
constexpr long kRssToleranceKiB = 512;
constexpr int32_t kSampleEvery = 100;

struct CountingSink : CircleDCEvents {
  void OnStatusChange(int32_t) override {}
  void PerformCircleComplete(int32_t success) override { (success == 1 ? good : bad)++; }
  void OnGraphicsClosed() override {}
  std::atomic<int32_t> good{0}, bad{0};
};

long ResidentKiB() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int32_t OpenDescriptors() {  // less the listing's own descriptor
  const auto listing = std::filesystem::directory_iterator("/proc/self/fd");
  return static_cast<int32_t>(std::distance(listing, {})) - 1;
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t runs = argc > 1 ? std::atoi(argv[1]) : 1000;
  const TempFolder folder;
  vexa_sim::RegisterSimulatedController();
  auto machine = std::make_shared<vexa_sim::SimulatedMachine>();
  ComPtr<IVexa_link> link = vexa_sim::MakeSimulatedLink(machine);
  auto component = std::make_unique<CircleDCComponent>();
  auto sink = std::make_shared<CountingSink>();
  component->Sinks.Connect(sink);
  LONG success = 0;
  component->InitialiseObject(link.Get(), nullptr, &success);
  component->FeatureRadius.Set(10.0);
  component->TipRadius.Set(1.0);
  component->ScanDeflection.Set(0.3);
  component->SlowSpeed.Set(5.0);
  component->ModeParameter.Set(50.0);
  component->IniFilepath.Set(folder.Write("settings.ini", SettingsText(folder.Path())).string());
  double x = 0, y = 0, z = 0;
  component->GetStartPosition(&x, &y, &z, &success);
  static_cast<void>(component->EnterProbeOffsets(0.0, 0.0, 0.0));  // zero: always taken

  const auto start = std::chrono::steady_clock::now();
  bool grew = false;
  std::printf("%6s %9s %10s %4s\n", "runs", "seconds", "RSS KiB", "fds");
  for (int32_t run = 1; run <= runs; ++run) {
    const bool learning = run % 2 == 1;
    component->Learning.Set(learning ? E_OMBRIX_DC_CIRCLE_LEARNING
                                     : E_OMBRIX_DC_CIRCLE_NO_LEARNING);
    machine->SetTip(CMaPoint(x, y, z));
    const bool started = component->PerformCircle() == S_OK;
    component->WaitForRuns();
    const uint32_t error = component->GetLastError();
    if (!started || error != 0 || sink->bad > 0 || sink->good != run ||
        (!learning && ProcessRunControlState().mapNumber.load() != 1)) {
      std::printf("run %d failed: error 0x%08X\n", run, error);
      return 1;
    }
    if (run % kSampleEvery == 0) {
      const long rss = ResidentKiB();
      const int32_t fds = OpenDescriptors();
      static const long firstRss = rss;  // the first sample is the baseline
      static const int32_t firstFds = fds;
      grew = grew || rss > firstRss + kRssToleranceKiB || fds != firstFds;
      const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
      std::printf("%6d %9.1f %10ld %4d\n", run, seconds.count(), rss, fds);
      std::fflush(stdout);
    }
  }
  std::printf("%s (RSS tolerance %ld KiB over the sample at run %d; fds must not change)\n",
              grew ? "GREW" : "steady", kRssToleranceKiB, kSampleEvery);
  return grew ? 1 : 0;
}
