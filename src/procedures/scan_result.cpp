#include "src/procedures/scan_result.h"

#include <utility>

namespace ombrixdc {

ScanResult PrepareRecordedScan(const RunContext& run, RunReporter& report, ScanKind scan,
                               CMaDoubleArray& x, CMaDoubleArray& y, CMaDoubleArray& z,
                               DeflectionLists deflections) {
  const MapFileHeader& f = run.feature;
  PreparedScan prepared =
      PrepareScanProfile(f.boreOrBoss, f.scanDirection, f.tipRadius, x, y, z, deflections);
  if (prepared.error != ErrorNumber::None) {
    return {StepResult::Failed(prepared.error,
                               std::string(scan == ScanKind::Slow ? "the slow" : "the fast") +
                                   " scan's points do not make one revolution from the +Y axis "
                                   "round to it again (a fast scan started too far round, with a "
                                   "large DCStartAngle, ends short of it)"),
            {}};
  }
  report.PublishCentre(scan, prepared.centre);
  return {StepResult::Completed(),
          {std::move(prepared.profile), std::move(deflections), prepared.centre}};
}

}  // namespace ombrixdc
