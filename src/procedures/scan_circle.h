#pragma once
// One circle scan on the controller, turned into a radial profile.
#include <cstdint>

#include "platform/vexa/interfaces.h"
#include "src/engine/circle_preparation.h"
#include "src/engine/profile.h"

class CircleDCComponent;

struct ScanOutput {
  RadialProfile profile;
  DeflectionLists deflections;
};

// Scans the feature at `speed`: the slow or the fast scan as the process's SlowScanFlag says.
// Returns 0 or the error number the run fails with. An abort during the scan stops the
// machine and returns 0 with the profile left empty. On success the scan's fitted centre is
// kept in SlowCentre or FastCentre.
int32_t ScanCircle(CircleDCComponent& c, double speed, ScanOutput& out);

// The start angle of a scan, in degrees.
double ScanStartAngle(bool slowScan, int32_t scanDirection, double dcStartAngle);
// The circle the tip centre runs on: inside a bore, outside a boss.
double ScanPathDiameter(int32_t boreOrBoss, double featureRadius, double tipRadius);

// The controller's status after a scan: the first status flag set gives its error number,
// otherwise the extended status decides (0 when the scan finished properly).
int32_t ControllerStatusCheck(IVexa_axis_position_and_status* status);
int32_t ExtendedStatusCheck(IVexa_axis_position_and_status* status);

// Prepares recorded tip centres into the output profile and keeps the fitted centre in
// SlowCentre or FastCentre (shared by real scans and raw scan files).
int32_t PrepareRecordedScan(CircleDCComponent& c, CMaDoubleArray& x, CMaDoubleArray& y,
                            CMaDoubleArray& z, ScanOutput& out);
