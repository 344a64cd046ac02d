// RunLearning: the slow reference scan, the return to the start, the fast scan through the
// compensated procedure, and the map pair stored in the run directory.
#include <chrono>
#include <thread>

#include "src/component/circle_dc_component.h"
#include "src/engine/compensation.h"
#include "src/engine/map_state.h"
#include "src/engine/scan_state.h"
#include "src/files/circle_data_file.h"
#include "src/files/file_output.h"
#include "src/files/map_file.h"
#include "src/procedures/map_search.h"
#include "src/procedures/moves.h"
#include "src/procedures/procedure_steps.h"
#include "src/procedures/procedures.h"
#include "src/procedures/run_files.h"

namespace {

// Slow, SlowMap and PreMapData from the slow profile; false when the run failed.
bool LearnReference(CircleDCComponent& c, const RadialProfile& slowProfile) {
  const ReferenceResult reference = ComputeReference(Parameters(c), slowProfile);
  if (Failed(c, reference.error))
    return false;
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW].Set(reference.slow);
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOWMAP].Set(reference.slowMap);
  ProcessMapState().SetSlot(MapSlotIndex::PreMapData, reference.preMap);
  return true;
}

// An existing map of the same feature is replaced when Overwrite allows; otherwise the pair
// takes the first free number.
int32_t ChooseMapNumber(CircleDCComponent& c) {
  int32_t n = 0;
  if (c.Overwrite.Get() != 0)
    n = FindMatchingMap(c, kRelaxedComparison);
  if (n == 0)
    n = NextFreeMapNumber(c);
  return n;
}

void StoreMapPair(CircleDCComponent& c) {
  const int32_t n = ChooseMapNumber(c);
  const std::string mapText = WriteMapFile(CurrentMapFileHeader(c), ProcessMapState().Slots());
  CircleData circle;
  circle.slowCentre = c.SlowCentre.Get();
  circle.slow = c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW].Get();
  circle.slowMap = c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOWMAP].Get();
  if (!WriteMapFilePairAtomically(MapFilePath(c, n), mapText, CircleDataFilePath(c, n),
                                  WriteCircleDataFile(circle))) {
    c.FailRun(static_cast<int32_t>(ErrorNumber::StoredMapUnusable));
  }
}

}  // namespace

void RunLearning(CircleDCComponent& c) {
  if (StopIfAborted(c))
    return;
  c.ChangeStatus(E_OMBRIX_DC_CIRCLE_LEARNING_SLOW_SCAN);
  ProcessScanState().slowScanFlag = kSlowScan;

  ScanOutput slow;
  if (const int32_t error = ScanOrReplay(c, c.SlowSpeed.Get(), slow)) {
    c.FailRun(error);
    return;
  }
  if (c.AbortRequested.load() != 0)
    return;
  if (!LearnReference(c, slow.profile))
    return;

  if (c.OfflineTesting.Get() == 0) {
    ReturnToStart(c);
    // A probe that did not get back to the start, or a lock not taken back, would make the
    // fast scan from the wrong place without the lock: a map learnt from it would be stored
    // although the run reports the failure.
    if (c.LastErrorNumber.load() != 0)
      return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(std::max(0, c.ScanSettlingTime.Get())));

  // A fast scan that failed leaves no map to store: a map written then would not belong to
  // the feature.
  if (!RunCompensatedStep(c, true))
    return;
  if (c.AbortRequested.load() != 0)
    return;
  StoreMapPair(c);
}
