// ombrixdc_torture [--seconds N] [--seed S] [--sessions K] [--no-scenarios] [--scenario NAME]
//                  [--log]
// Runs the fixed scenarios, then random sessions from seeds S, S+1, ... for N seconds (or K
// sessions). A failing session prints its seed, its problems and its calls; rerun it alone
// with --seed SEED --sessions 1 --no-scenarios; --log prints every session's calls.
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "tests/support/isolated_registry.h"
#include "tests/torture/torture.h"

namespace {

const torture::Session* current = nullptr;
struct sigaction previous[NSIG];

// A crash or std::terminate ends the process: tell which session it was and what it called,
// without allocating (the heap may be what broke), then let the signal go on as before (a
// sanitizer's own handler reports it).
void ReportCrash(int signal) {
  if (current) {
    char text[160];
    const int n = std::snprintf(text, sizeof text,
                                "torture: signal %d in session '%s' (seed %llu); its calls:\n",
                                signal, current->name.c_str(), current->seed);
    (void)!write(2, text, static_cast<size_t>(n > 0 ? n : 0));
    current->log.WriteNow(2);
  }
  sigaction(signal, &previous[signal], nullptr);
  raise(signal);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 10.0;
  torture::Seed seed = std::random_device{}();
  long long sessions = -1;
  bool noScenarios = false, printLog = false;
  std::string only;
  CLI::App app{"The randomised automation client of the component"};
  app.add_option("--seconds", seconds, "How long the random sessions go on");
  app.add_option("--seed", seed, "The first random session's seed");
  app.add_option("--sessions", sessions, "How many random sessions, whatever the time");
  app.add_flag("--no-scenarios", noScenarios, "No fixed scenarios");
  app.add_option("--scenario", only, "This fixed scenario alone, no random session");
  app.add_flag("--log", printLog, "Print every session's calls");
  CLI11_PARSE(app, argc, argv);
  const IsolatedRegistry registry;  // the process never touches the user's store
  for (int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE}) {
    struct sigaction report = {};
    report.sa_handler = ReportCrash;
    sigaction(signal, &report, &previous[signal]);
  }
  std::printf("torture: seed %llu\n", seed);
  int32_t failed = 0, scenariosRun = 0;
  // Runs one session; a sanitizer's report that follows its announcement belongs to it.
  const auto runSession = [&](torture::Seed sessionSeed, const char* name, auto body) {
    std::printf("torture: %s session, seed %llu\n", name, sessionSeed);
    std::fflush(stdout);
    torture::Session session(sessionSeed, name);
    current = &session;
    const bool passed = session.RunAndCheck(body);
    if (printLog) {
      std::fflush(stdout);
      session.log.WriteNow(1);
    }
    failed += passed ? 0 : 1;
    return passed;
  };
  for (const torture::Scenario& scenario : torture::Scenarios()) {
    if (!noScenarios && (only.empty() || only == scenario.name)) {
      runSession(0, scenario.name, scenario.run);
      ++scenariosRun;
    }
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  long long run = 0;
  for (; only.empty() && (sessions < 0 ? std::chrono::steady_clock::now() < end : run < sessions);
       ++run) {
    const torture::Seed sessionSeed = seed + static_cast<torture::Seed>(run);
    if (!runSession(sessionSeed, "random", [](torture::Session& s) { s.RunRandom(); })) {
      std::fprintf(stderr, "replay: %s --seed %llu --sessions 1 --no-scenarios\n", argv[0],
                   sessionSeed);
    }
  }
  std::printf("torture: %d scenarios and %lld random sessions from seed %llu; %d failed\n",
              scenariosRun, run, seed, failed);
  return failed ? 1 : 0;
}
