#pragma once
// The fast scan step that the learning and the compensated procedure share: the fast scan,
// its data sets and the corrected ones.
#include "src/engine/map_slots.h"
#include "src/engine/profile.h"
#include "src/procedures/run_context.h"
#include "src/procedures/step_result.h"

namespace ombrixdc {

// What a fast scan is corrected with: the slow scan's data and the compensation map, learnt
// by this run or read from a stored map pair.
struct Reference {
  DataSet slow;
  DataSet slowMap;
  CMaPoint slowCentre;
  MapSlots slots;
};

enum class FastScanStage {
  Learning,   // the learning procedure's fast scan: learns the map, then corrects
  Replaying,  // a compensated run: corrects with the stored map pair run.mapNumber
};

// The fast scan, its data sets and the corrected ones. Learning, `reference` holds the slow
// scan's results and gains the learnt map; replaying, it is filled from the stored map pair.
StepResult RunFastScanStep(RunContext& run, RunReporter& report, FastScanStage stage,
                           Reference& reference);

}  // namespace ombrixdc
