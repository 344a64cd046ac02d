#pragma once
// Puts every process-wide object back to its start-up values, for tests that need a clean
// process between cases.
#include "src/component/process_state.h"

namespace ombrixdc {

inline void ResetProcessState() {
  RunControlState& run = ProcessRunControlState();
  run.positionalTolerance = 0.01;
  run.mapNumber = 0;
  ProcessMapMatchTolerances().Set(MatchTolerances{});
  const RunTimeLimits defaults;
  ProcessRunTimeLimits().baseMilliseconds = defaults.baseMilliseconds;
  ProcessRunTimeLimits().factor = defaults.factor;
}

}  // namespace ombrixdc
