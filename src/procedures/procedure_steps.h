#pragma once
// Steps shared by the learning and the compensated procedure.
#include "src/engine/compensation.h"
#include "src/procedures/run_context.h"
#include "src/procedures/scan_circle.h"
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

// When an abort is requested: stops the machine and returns true.
[[nodiscard]] bool StopIfAborted(const RunContext& run, const RunReporter& report);

// The scan of the current stage: replayed from the raw scan file in offline testing, made on
// the machine otherwise.
ScanResult ScanOrReplay(const RunContext& run, RunReporter& report, ScanKind scan, double speed);

// The run's settings for the computation.
CompensationParameters Parameters(const RunContext& run);

// The speed the fast scan runs at: the speed run control chose from the feature, or, in a
// calibrating mode, the mode's own fixed speed whatever that choice was.
double FastScanSpeed(const MapFileHeader& feature);

// The feature as the map file of its fast scan records it (FastSpeed the speed actually
// scanned at): what the map search of a run compares a stored map with.
MapFileHeader FeatureAsScanned(MapFileHeader feature);

// The fast scan, its data sets and the corrected ones. Learning, `reference` holds the slow
// scan's results and gains the learnt map; replaying, it is filled from the stored map pair.
StepResult RunFastScanStep(RunContext& run, RunReporter& report, FastScanStage stage,
                           Reference& reference);

}  // namespace ombrixdc
