#include "tools/ombrixdc/run_wait.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace ombrixdc;

namespace {

// How long a run asked to abort may take to stop the machine and report its end.
constexpr double kAbortGraceSeconds = 30.0;

}  // namespace

std::optional<int32_t> WaitForRun(CircleDCComponent& component, CompletionLatch& latch,
                                  const StopSignals& signals, double timeoutSeconds,
                                  ScanProgress& progress) {
  std::optional<int32_t> completed = progress.Wait(
      latch, std::chrono::duration<double>(timeoutSeconds),
      [&component] { return std::string(CircleStatusName(component.GetCurrentCircleStatus())); },
      [&signals] { return signals.Received(); });
  if (completed) {
    return completed;
  }
  if (!signals.Received()) {
    std::fprintf(stderr, "ombrixdc: no PerformCircleComplete within %g s; aborting the run\n",
                 timeoutSeconds);
  }
  component.Abort();
  completed = latch.Wait(std::chrono::duration<double>(kAbortGraceSeconds));
  if (!completed) {
    std::fprintf(stderr, "ombrixdc: the run did not end within %g s of the abort request\n",
                 kAbortGraceSeconds);
    std::fflush(stdout);
    std::_Exit(kExitAborted);  // the worker still holds the component: do not wait for it
  }
  return completed;
}
