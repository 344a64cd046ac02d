// RunCompensated: the fast scan of a feature, corrected with the compensation map. Called by
// the worker with a stored map (MapNumber), and by the learning procedure for its fast scan,
// which learns the map from the slow and fast data before correcting.
#include <thread>

#include "src/component/circle_dc_component.h"
#include "src/component/process_state.h"
#include "src/engine/compensation.h"
#include "src/engine/map_state.h"
#include "src/engine/scan_state.h"
#include "src/files/circle_data_file.h"
#include "src/files/map_file.h"
#include "src/procedures/procedure_steps.h"
#include "src/procedures/procedures.h"
#include "src/procedures/raw_scan_files.h"
#include "src/procedures/run_files.h"

namespace {

// The fast scan speed of the calibrating modes.
constexpr double kCalibrationFastSpeed = 50.0;
constexpr int32_t kStoredMapUnusable = static_cast<int32_t>(ErrorNumber::StoredMapUnusable);

// Reads the stored map pair `mapNumber` into the map slots, Slow, SlowMap and SlowCentre. A
// file that cannot be opened or is damaged fails the run with error 6.
bool LoadStoredMap(CircleDCComponent& c, int32_t mapNumber) {
  std::optional<TokenReader> mapReader = TokenReader::FromFile(MapFilePath(c, mapNumber));
  if (!mapReader) {
    c.FailRun(kStoredMapUnusable);
    return false;
  }
  MapDataResult map = ReadMapData(*mapReader);
  ProcessMapState().SetSlots(std::move(map.slots));
  if (map.readError) {
    c.FailRun(kStoredMapUnusable);
    return false;
  }

  std::optional<TokenReader> circleReader = TokenReader::FromFile(CircleDataFilePath(c, mapNumber));
  if (!circleReader) {
    c.FailRun(kStoredMapUnusable);
    return false;
  }
  CircleDataResult circle = ReadCircleDataFile(*circleReader);
  c.SlowCentre.Set(circle.data.slowCentre);
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW].Set(std::move(circle.data.slow));
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOWMAP].Set(std::move(circle.data.slowMap));
  if (circle.readError) {
    c.FailRun(kStoredMapUnusable);
    return false;
  }
  return true;
}

}  // namespace

bool RunCompensatedStep(CircleDCComponent& c, bool learning) {
  if (c.Mode.Get() != E_OMBRIX_DC_CIRCLE_MODE_INPUT_SPEED)
    c.FastSpeed.Set(kCalibrationFastSpeed);
  if (StopIfAborted(c))
    return false;
  ProcessScanState().slowScanFlag = kFastScan;
  c.ChangeStatus(learning ? E_OMBRIX_DC_CIRCLE_LEARNING_FAST_SCAN
                          : E_OMBRIX_DC_CIRCLE_REPLAYING_FAST_SCAN);

  ScanOutput scan;
  if (const int32_t error = ScanOrReplay(c, c.FastSpeed.Get(), scan)) {
    c.FailRun(error);
    return false;
  }
  if (c.AbortRequested.load() != 0)
    return false;
  if (!learning && !LoadStoredMap(c, ProcessRunControlState().mapNumber))
    return false;

  const DataSetResult fast = ComputeFast(Parameters(c), scan.profile);
  if (Failed(c, fast.error))
    return false;
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_FAST].Set(fast.data);
  if (StopIfAborted(c))
    return false;

  MapState& maps = ProcessMapState();
  const DataSetResult fastMap = ComputeFastMap(maps.Slot(MapSlotIndex::PreMapData), fast.data);
  if (Failed(c, fastMap.error))
    return false;
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_FASTMAP].Set(fastMap.data);

  if (learning) {
    const LearnedMaps learned =
        LearnDcMaps(c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW].Get(),
                    c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOWMAP].Get(), fast.data, fastMap.data);
    if (Failed(c, learned.error))
      return false;
    maps.SetSlot(MapSlotIndex::DcMapData, learned.dcMap);
    maps.SetSlot(MapSlotIndex::PremappedDcMapData, learned.premappedDcMap);
  }
  if (StopIfAborted(c))
    return false;

  const CorrectedResult corrected =
      ComputeCorrected(maps.Slot(MapSlotIndex::DcMapData),
                       maps.Slot(MapSlotIndex::PremappedDcMapData), fast.data, fastMap.data);
  if (Failed(c, corrected.error))
    return false;
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_CORRECTED].Set(corrected.corrected);
  c.DataSets[E_OMBRIX_DC_CIRCLE_DATA_CORRECTEDMAP].Set(corrected.correctedMap);
  return true;
}

void RunCompensated(CircleDCComponent& c) {
  RunCompensatedStep(c, false);
}
