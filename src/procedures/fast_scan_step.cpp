// The fast scan step: the compensated procedure corrects the fast scan with a stored map
// pair; the learning procedure first learns the map from its slow and fast data.
#include "src/procedures/fast_scan_step.h"

#include <optional>
#include <string>
#include <utility>

#include "src/engine/compensation.h"
#include "src/engine/map_grid.h"
#include "src/files/circle_data_file.h"
#include "src/files/folder_lock.h"
#include "src/files/map_file.h"
#include "src/procedures/procedure_steps.h"
#include "src/procedures/run_files.h"
#include "src/procedures/stored_pair_grid.h"

namespace ombrixdc {

namespace {

// The reference data set on the run's grid. A feature whose radius differs from the learnt one
// (within the map search's tolerance) has a grid of its own; the reference is carried onto it
// as the map is when it is applied, so that all six data sets share one grid. None when the
// stored set cannot be interpolated.
std::optional<DataSet> OnRunGrid(const DataSet& stored, const CMaDoubleArray& runGrid) {
  if (SameGridAngles(stored.angles, runGrid)) {
    return stored;
  }
  std::optional<CMaDoubleArray> radii = InterpolatePeriodic(stored.angles, stored.radii, runGrid);
  if (!radii) {
    return std::nullopt;
  }
  DataSet carried;
  carried.radii = std::move(*radii);
  carried.angles = runGrid;
  return carried;
}

// Reads the stored map pair `mapNumber` into `reference` and publishes the map and the slow
// data sets. A file that cannot be opened, is damaged or does not lie on the grid of its own
// pitch and radius (a file cut short or edited) fails with StoredMapUnusable; what could be
// read is still published.
StepResult LoadStoredMap(const RunContext& run, RunReporter& report, Reference& reference) {
  std::optional<TokenReader> mapReader;
  std::optional<TokenReader> circleReader;
  {
    // Both files are read while no learning run replaces the pair, so they are of one run.
    const FolderLock lock(run.runFolder, FolderLock::Kind::Shared);
    mapReader = TokenReader::FromFile(MapFilePath(run.runFolder, run.mapNumber));
    circleReader = TokenReader::FromFile(CircleDataFilePath(run.runFolder, run.mapNumber));
  }
  const std::string pair =
      "stored map pair " + std::to_string(run.mapNumber) + " in " + run.runFolder.string() + ": ";
  if (!mapReader) {
    return StepResult::Failed(ErrorNumber::StoredMapUnusable, pair + "the map file cannot be read");
  }
  TokenReader headerReader = *mapReader;
  const MapFileHeaderResult header = ReadMapFileHeader(headerReader);
  MapDataResult map = ReadMapData(*mapReader);
  reference.slots = std::move(map.slots);
  if (map.error != ErrorNumber::None) {
    return StepResult::Failed(map.error, pair + "the map file is damaged");
  }

  if (!circleReader) {
    return StepResult::Failed(ErrorNumber::StoredMapUnusable,
                              pair + "the circle data file cannot be read");
  }
  CircleDataResult circle = ReadCircleDataFile(*circleReader);
  reference.slowCentre = circle.data.slowCentre;
  report.PublishCentre(ScanKind::Slow, reference.slowCentre);
  const bool sound = circle.error == ErrorNumber::None &&
                     CheckStoredPairGrid(header.header, reference.slots, circle.data).Sound();
  std::optional<DataSet> slow;
  std::optional<DataSet> slowMap;
  if (sound) {
    const CompensationParameters p = Parameters(run);
    if (const std::optional<CMaDoubleArray> runGrid =
            MapGridAngles(p.mapPitch, p.featureRadius, p.mapGridStartAngle)) {
      slow = OnRunGrid(circle.data.slow, *runGrid);
      slowMap = OnRunGrid(circle.data.slowMap, *runGrid);
    } else {
      // No grid for the run: the fast scan's resampling reports the settings.
      slow = circle.data.slow;
      slowMap = circle.data.slowMap;
    }
  }
  reference.slow = slow ? std::move(*slow) : std::move(circle.data.slow);
  reference.slowMap = slowMap ? std::move(*slowMap) : std::move(circle.data.slowMap);
  report.PublishDataSet(E_OMBRIX_DC_CIRCLE_DATA_SLOW, reference.slow);
  report.PublishDataSet(E_OMBRIX_DC_CIRCLE_DATA_SLOWMAP, reference.slowMap);
  if (circle.error != ErrorNumber::None) {
    return StepResult::Failed(circle.error, pair + "the circle data file is damaged");
  }
  if (!slow || !slowMap) {
    return StepResult::Failed(ErrorNumber::StoredMapUnusable,
                              pair +
                                  "not on the angle grid of its pitch and radius (see "
                                  "'ombrixdc maps check')");
  }
  return StepResult::Completed();
}

// DcMapData and PremappedDcMapData from the slow and fast data sets.
StepResult LearnMap(const DataSet& fast, const DataSet& fastMap, Reference& reference) {
  const LearnedMaps learned = LearnDcMaps(reference.slow, reference.slowMap, fast, fastMap);
  if (learned.error != ErrorNumber::None) {
    return StepResult::Failed(learned.error);
  }
  reference.slots[MapSlotIndex::DcMapData] = learned.dcMap;
  reference.slots[MapSlotIndex::PremappedDcMapData] = learned.premappedDcMap;
  return StepResult::Completed();
}

}  // namespace

StepResult RunFastScanStep(RunContext& run, RunReporter& report, FastScanStage stage,
                           Reference& reference) {
  if (run.feature.mode != E_OMBRIX_DC_CIRCLE_MODE_INPUT_SPEED) {
    run.feature.fastSpeed = FastScanSpeed(run.feature);
    report.PublishFastSpeed(run.feature.fastSpeed);
  }
  if (StopIfAborted(run, report)) {
    return StepResult::Aborted();
  }
  report.ChangeStatus(stage == FastScanStage::Learning ? E_OMBRIX_DC_CIRCLE_LEARNING_FAST_SCAN
                                                       : E_OMBRIX_DC_CIRCLE_REPLAYING_FAST_SCAN);

  const ScanResult scan = ScanOrReplay(run, report, ScanKind::Fast, run.feature.fastSpeed);
  if (!scan.step.IsCompleted()) {
    return scan.step;
  }
  if (report.AbortRequested()) {
    return StepResult::Aborted();
  }
  if (stage == FastScanStage::Replaying) {
    if (StepResult loaded = LoadStoredMap(run, report, reference); !loaded.IsCompleted()) {
      return loaded;
    }
  }

  const DataSetResult fast = ComputeFast(Parameters(run), scan.output.profile);
  if (fast.error != ErrorNumber::None) {
    return StepResult::Failed(fast.error);
  }
  report.PublishDataSet(E_OMBRIX_DC_CIRCLE_DATA_FAST, fast.data);
  if (StopIfAborted(run, report)) {
    return StepResult::Aborted();
  }

  const DataSetResult fastMap =
      ComputeFastMap(reference.slots[MapSlotIndex::PreMapData], fast.data);
  if (fastMap.error != ErrorNumber::None) {
    return StepResult::Failed(fastMap.error);
  }
  report.PublishDataSet(E_OMBRIX_DC_CIRCLE_DATA_FASTMAP, fastMap.data);

  if (stage == FastScanStage::Learning) {
    if (StepResult learnt = LearnMap(fast.data, fastMap.data, reference); !learnt.IsCompleted()) {
      return learnt;
    }
  }
  if (StopIfAborted(run, report)) {
    return StepResult::Aborted();
  }

  const CorrectedResult corrected =
      ComputeCorrected(reference.slots[MapSlotIndex::DcMapData],
                       reference.slots[MapSlotIndex::PremappedDcMapData], fast.data, fastMap.data);
  if (corrected.error != ErrorNumber::None) {
    return StepResult::Failed(corrected.error);
  }
  report.PublishDataSet(E_OMBRIX_DC_CIRCLE_DATA_CORRECTED, corrected.corrected);
  report.PublishDataSet(E_OMBRIX_DC_CIRCLE_DATA_CORRECTEDMAP, corrected.correctedMap);
  return StepResult::Completed();
}

}  // namespace ombrixdc
