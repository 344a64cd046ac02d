#pragma once
// What a scan gives, made on the machine or replayed from a raw scan file, and how recorded tip
// centres become it.
#include "platform/trivell/geometry.h"
#include "src/engine/circle_preparation.h"
#include "src/engine/profile.h"
#include "src/engine/scan_kind.h"
#include "src/procedures/run_context.h"
#include "src/procedures/step_result.h"

namespace ombrixdc {

struct ScanOutput {
  RadialProfile profile;
  DeflectionLists deflections;
  CMaPoint centre;  // least-squares centre of the tip points, in machine coordinates
};

struct [[nodiscard]] ScanResult {
  StepResult step;
  ScanOutput output;  // the profile is empty unless the step completed
};

// Prepares recorded tip centres into a profile and publishes the fitted centre for the scan's
// kind (shared by real scans and raw scan files).
ScanResult PrepareRecordedScan(const RunContext& run, RunReporter& report, ScanKind scan,
                               CMaDoubleArray& x, CMaDoubleArray& y, CMaDoubleArray& z,
                               DeflectionLists deflections);

}  // namespace ombrixdc
