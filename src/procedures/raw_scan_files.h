#pragma once
// The raw scan data files of the run directory: written after a scan when SaveRawData is set,
// read in place of a scan in offline testing.
#include <filesystem>

#include "platform/trivell/geometry.h"
#include "src/engine/scan_kind.h"
#include "src/procedures/run_context.h"
#include "src/procedures/scan_result.h"
#include "src/procedures/step_result.h"

namespace ombrixdc {

// Writes the scan's tip centres and probe deflections ("ScanSlow.dat"/"ProbeSlow.dat" or
// "ScanFast.dat"/"ProbeFast.dat"). Both files are written even if the first fails; either
// failing fails the step with RawScanFileFailed.
StepResult WriteRawScanFiles(const std::filesystem::path& runFolder, ScanKind scan,
                             const CMaDoubleArray& x, const CMaDoubleArray& y,
                             const CMaDoubleArray& z, const DeflectionLists& deflections);

// Reads the scan file of the given scan and prepares it as a real scan would be. The probe
// files are not read. Fails with RawScanFileFailed when the file cannot be opened, or with the
// preparation's error.
ScanResult ReadRawScanFiles(const RunContext& run, RunReporter& report, ScanKind scan);

}  // namespace ombrixdc
