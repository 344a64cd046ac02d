#pragma once
// Waiting for a run the command line started, as `run` and `demo` both do.
#include <cstdint>
#include <optional>

#include "src/component/circle_dc_component.h"
#include "tools/ombrixdc/completion_latch.h"
#include "tools/ombrixdc/stop_signals.h"
#include "tools/ombrixdc/terminal_progress.h"

// Waits up to `timeoutSeconds` for PerformCircleComplete, showing progress. A stop signal or
// the time limit asks the run to abort and then waits a bounded time for it to stop the
// machine; a run that does not stop in time ends the process with kExitAborted. The value of
// PerformCircleComplete, or nothing when none came.
std::optional<int32_t> WaitForRun(ombrixdc::CircleDCComponent& component, CompletionLatch& latch,
                                  const StopSignals& signals, double timeoutSeconds,
                                  ScanProgress& progress);
