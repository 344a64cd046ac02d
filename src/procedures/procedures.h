#pragma once
// The measuring procedures a run's worker chooses between. Both run on the worker thread with
// the controller lock held, report their stages and results through `report`, and return how
// they ended; the worker records a failure.
#include "src/procedures/run_context.h"
#include "src/procedures/step_result.h"

namespace ombrixdc {

// Slow scan, fast scan, map pair stored, six data sets.
StepResult RunLearning(RunContext& run, RunReporter& report);
// Fast scan corrected with the stored map pair run.mapNumber.
StepResult RunCompensated(RunContext& run, RunReporter& report);

}  // namespace ombrixdc
