#pragma once
// One circle scan on the controller, turned into a radial profile.
#include <cstdint>

#include "platform/vexa/interfaces.h"
#include "src/engine/scan_kind.h"
#include "src/procedures/run_context.h"
#include "src/procedures/scan_result.h"
#include "src/procedures/step_result.h"

namespace ombrixdc {

// Scans the feature at `speed` as the slow or the fast scan of the run. An abort during the
// scan stops the machine. On success the scan's fitted centre is published for its kind.
ScanResult ScanCircle(const RunContext& run, RunReporter& report, ScanKind scan, double speed);

// The start angle of a scan, in degrees.
double ScanStartAngle(ScanKind scan, int32_t scanDirection, double dcStartAngle);
// The circle the tip centre runs on: inside a bore, outside a boss.
double ScanPathDiameter(int32_t boreOrBoss, double featureRadius, double tipRadius);

// The controller's status after a scan: the first status flag set gives its error, otherwise
// the extended status decides (completed when the scan finished properly).
StepResult ControllerStatusCheck(IVexa_axis_position_and_status* status);
StepResult ExtendedStatusCheck(IVexa_axis_position_and_status* status);

}  // namespace ombrixdc
