#pragma once
// Steps shared by the learning and the compensated procedure.
#include "src/engine/compensation.h"
#include "src/procedures/run_context.h"
#include "src/procedures/scan_circle.h"
#include "src/procedures/step_result.h"

namespace ombrixdc {

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

}  // namespace ombrixdc
