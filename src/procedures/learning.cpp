// RunLearning: the slow reference scan, the return to the start, the fast scan through the
// compensated procedure's step, and the map pair stored in the run directory.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "src/files/circle_data_file.h"
#include "src/files/file_output.h"
#include "src/files/folder_lock.h"
#include "src/files/map_file.h"
#include "src/procedures/fast_scan_step.h"
#include "src/procedures/map_search.h"
#include "src/procedures/moves.h"
#include "src/procedures/procedure_steps.h"
#include "src/procedures/procedures.h"
#include "src/procedures/run_files.h"

namespace ombrixdc {

namespace {

// Slow, SlowMap and PreMapData from the slow scan.
StepResult LearnReference(const RunContext& run, RunReporter& report, const ScanOutput& slowScan,
                          Reference& reference) {
  const ReferenceResult computed = ComputeReference(Parameters(run), slowScan.profile);
  if (computed.error != ErrorNumber::None) {
    return StepResult::Failed(computed.error);
  }
  reference.slow = computed.slow;
  reference.slowMap = computed.slowMap;
  reference.slowCentre = slowScan.centre;
  reference.slots[MapSlotIndex::PreMapData] = computed.preMap;
  report.PublishDataSet(E_OMBRIX_DC_CIRCLE_DATA_SLOW, reference.slow);
  report.PublishDataSet(E_OMBRIX_DC_CIRCLE_DATA_SLOWMAP, reference.slowMap);
  return StepResult::Completed();
}

// An existing map of the same feature is replaced when Overwrite allows; otherwise the pair
// takes the first free number. A damaged map of the feature met on the way (`error`) fails the
// run once the pair is stored.
struct MapNumberChoice {
  int32_t mapNumber;
  ErrorNumber error;
};
MapNumberChoice ChooseMapNumber(const RunContext& run) {
  MapSearchResult search;
  if (run.overwrite != E_OMBRIX_DC_CIRCLE_NO_OVERWRITE_EXISTING_MAP) {
    search = FindMatchingMap(run.runFolder, run.feature, run.tolerances, MapComparison::Relaxed);
  }
  const int32_t n = search.mapNumber != 0 ? search.mapNumber : NextFreeMapNumber(run.runFolder);
  return {n, search.error};
}

StepResult StoreMapPair(const RunContext& run, RunReporter& report, const Reference& reference) {
  const std::string mapText = WriteMapFile(run.feature, reference.slots);
  CircleData circle;
  circle.slowCentre = reference.slowCentre;
  circle.slow = reference.slow;
  circle.slowMap = reference.slowMap;
  // Another run storing into the folder (another component, another process) would choose the
  // same number and mix its files with these: one run at a time chooses and writes.
  const FolderLock lock(run.runFolder, FolderLock::Kind::Exclusive);
  const MapNumberChoice choice = ChooseMapNumber(run);
  const int32_t n = choice.mapNumber;
  errno = 0;
  if (!WriteMapFilePairAtomically(MapFilePath(run.runFolder, n), mapText,
                                  CircleDataFilePath(run.runFolder, n),
                                  WriteCircleDataFile(circle))) {
    // The system's reason of the step that failed, when it gave one.
    const int reason = errno;
    return StepResult::Failed(ErrorNumber::MapPairNotWritten,
                              "map pair " + std::to_string(n) + " cannot be written in " +
                                  run.runFolder.string() +
                                  (reason ? std::string(": ") + std::strerror(reason) : ""));
  }
  report.PublishMapWritten(n);
  if (choice.error != ErrorNumber::None) {
    return StepResult::Failed(choice.error);
  }
  return StepResult::Completed();
}

}  // namespace

StepResult RunLearning(RunContext& run, RunReporter& report) {
  if (StopIfAborted(run, report)) {
    return StepResult::Aborted();
  }
  report.ChangeStatus(E_OMBRIX_DC_CIRCLE_LEARNING_SLOW_SCAN);

  const ScanResult slow = ScanOrReplay(run, report, ScanKind::Slow, run.feature.slowSpeed);
  if (!slow.step.IsCompleted()) {
    return slow.step;
  }
  if (report.AbortRequested()) {
    return StepResult::Aborted();
  }
  Reference reference;
  if (StepResult learnt = LearnReference(run, report, slow.output, reference);
      !learnt.IsCompleted()) {
    return learnt;
  }

  if (!run.offlineTesting) {
    // A probe that did not get back to the start, or a lock not taken back, would make the
    // fast scan from the wrong place without the lock.
    if (StepResult returned = ReturnToStart(run); !returned.IsCompleted()) {
      return returned;
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(std::max(0, run.scanSettlingTime)));

  // A fast scan that failed leaves no map to store: a map written then would not belong to
  // the feature.
  if (StepResult fast = RunFastScanStep(run, report, FastScanStage::Learning, reference);
      !fast.IsCompleted()) {
    return fast;
  }
  if (report.AbortRequested()) {
    return StepResult::Aborted();
  }
  return StoreMapPair(run, report, reference);
}

}  // namespace ombrixdc
