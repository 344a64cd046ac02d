#pragma once
// The raw scan data files of the run directory: written after a scan when SaveRawData is set,
// read in place of a scan in offline testing.
#include <cstdint>

#include "platform/trivell/geometry.h"
#include "src/procedures/scan_circle.h"

class CircleDCComponent;

// Writes "ScanSlow.dat"/"ProbeSlow.dat" (slow scan) or "ScanFast.dat"/"ProbeFast.dat": the tip
// centres and the probe deflections. Both files are written even if the first fails.
// Returns 0, or 6 when either could not be written.
int32_t WriteRawScanFiles(CircleDCComponent& c, bool slowScan, const CMaDoubleArray& x,
                          const CMaDoubleArray& y, const CMaDoubleArray& z,
                          const DeflectionLists& deflections);

// Reads the scan file of the current scan (SlowScanFlag) and prepares it as a real scan
// would be. The probe files are not read. Returns 0, 6 when the file cannot be opened, or
// the preparation's error.
int32_t ReadRawScanFiles(CircleDCComponent& c, ScanOutput& out);
