// RunCompensated: the fast scan of a feature, corrected with the stored map pair the run's
// search found.
#include "src/procedures/fast_scan_step.h"
#include "src/procedures/procedures.h"

namespace ombrixdc {

StepResult RunCompensated(RunContext& run, RunReporter& report) {
  Reference stored;
  return RunFastScanStep(run, report, FastScanStage::Replaying, stored);
}

}  // namespace ombrixdc
