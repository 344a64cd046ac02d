#include "src/engine/compensation.h"

#include <utility>

#include "src/engine/filters.h"

namespace ombrixdc {

ReferenceResult ComputeReference(const CompensationParameters& p,
                                 const RadialProfile& slowProfile) {
  ReferenceResult result;
  const CMaDoubleArray filtered = FilterRadii(p.filterMethod, p.filterNumber, slowProfile.radii);
  DataSetResult slow = ResampleToMapGrid(p.mapPitch, p.featureRadius, p.mapGridStartAngle, filtered,
                                         slowProfile.angles);
  if (PassOnFailure(slow, result)) {
    return result;
  }
  // The premap compares the unfiltered scan's least-squares circle with the filtered slow
  // profile, so premapped data show the dynamic error about a perfect circle.
  DataSetResult fit = FitToMapGrid(p.mapPitch, p.featureRadius, p.mapGridStartAngle,
                                   slowProfile.radii, slowProfile.angles);
  if (PassOnFailure(fit, result)) {
    return result;
  }
  MapSlotResult preMap = StoreMap(fit.data.radii, slow.data.radii, fit.data.angles);
  if (PassOnFailure(preMap, result)) {
    return result;
  }
  DataSetResult slowMap = ApplyMap(preMap.slot, slow.data);
  if (PassOnFailure(slowMap, result)) {
    return result;
  }
  result.slow = std::move(slow.data);
  result.slowMap = std::move(slowMap.data);
  result.preMap = std::move(preMap.slot);
  return result;
}

DataSetResult ComputeFast(const CompensationParameters& p, const RadialProfile& fastProfile) {
  const CMaDoubleArray filtered = FilterRadii(p.filterMethod, p.filterNumber, fastProfile.radii);
  return ResampleToMapGrid(p.mapPitch, p.featureRadius, p.mapGridStartAngle, filtered,
                           fastProfile.angles);
}

DataSetResult ComputeFastMap(const MapSlot& preMap, const DataSet& fast) {
  return ApplyMap(preMap, fast);
}

LearnedMaps LearnDcMaps(const DataSet& slow, const DataSet& slowMap, const DataSet& fast,
                        const DataSet& fastMap) {
  LearnedMaps result;
  MapSlotResult dcMap = StoreMap(slow.radii, fast.radii, slow.angles);
  MapSlotResult premapped = StoreMap(slowMap.radii, fastMap.radii, slowMap.angles);
  if (dcMap.error != ErrorNumber::None || premapped.error != ErrorNumber::None) {
    result.error = ErrorNumber::StoredMapUnusable;
    return result;
  }
  result.dcMap = std::move(dcMap.slot);
  result.premappedDcMap = std::move(premapped.slot);
  return result;
}

CorrectedResult ComputeCorrected(const MapSlot& dcMap, const MapSlot& premappedDcMap,
                                 const DataSet& fast, const DataSet& fastMap) {
  CorrectedResult result;
  DataSetResult corrected = ApplyMap(dcMap, fast);
  DataSetResult correctedMap = ApplyMap(premappedDcMap, fastMap);
  if (corrected.error != ErrorNumber::None || correctedMap.error != ErrorNumber::None) {
    result.error = ErrorNumber::StoredMapUnusable;
    return result;
  }
  result.corrected = std::move(corrected.data);
  result.correctedMap = std::move(correctedMap.data);
  return result;
}

CompensatedResult ComputeCompensated(const CompensationParameters& p, const MapSlots& slots,
                                     const RadialProfile& fastProfile) {
  CompensatedResult result;
  DataSetResult fast = ComputeFast(p, fastProfile);
  if (PassOnFailure(fast, result)) {
    return result;
  }
  DataSetResult fastMap = ComputeFastMap(slots[MapSlotIndex::PreMapData], fast.data);
  if (PassOnFailure(fastMap, result)) {
    return result;
  }
  CorrectedResult corrected =
      ComputeCorrected(slots[MapSlotIndex::DcMapData], slots[MapSlotIndex::PremappedDcMapData],
                       fast.data, fastMap.data);
  if (PassOnFailure(corrected, result)) {
    return result;
  }
  result.fast = std::move(fast.data);
  result.fastMap = std::move(fastMap.data);
  result.corrected = std::move(corrected.corrected);
  result.correctedMap = std::move(corrected.correctedMap);
  return result;
}

LearningResult ComputeLearning(const CompensationParameters& p, const RadialProfile& slowProfile,
                               const RadialProfile& fastProfile) {
  LearningResult result;
  ReferenceResult reference = ComputeReference(p, slowProfile);
  if (PassOnFailure(reference, result)) {
    return result;
  }
  DataSetResult fast = ComputeFast(p, fastProfile);
  if (PassOnFailure(fast, result)) {
    return result;
  }
  DataSetResult fastMap = ComputeFastMap(reference.preMap, fast.data);
  if (PassOnFailure(fastMap, result)) {
    return result;
  }
  LearnedMaps maps = LearnDcMaps(reference.slow, reference.slowMap, fast.data, fastMap.data);
  if (PassOnFailure(maps, result)) {
    return result;
  }
  CorrectedResult corrected =
      ComputeCorrected(maps.dcMap, maps.premappedDcMap, fast.data, fastMap.data);
  if (PassOnFailure(corrected, result)) {
    return result;
  }
  RunDataSets& sets = result.dataSets;
  sets.slow = std::move(reference.slow);
  sets.slowMap = std::move(reference.slowMap);
  sets.fast = std::move(fast.data);
  sets.fastMap = std::move(fastMap.data);
  sets.corrected = std::move(corrected.corrected);
  sets.correctedMap = std::move(corrected.correctedMap);
  result.slots[MapSlotIndex::PreMapData] = std::move(reference.preMap);
  result.slots[MapSlotIndex::DcMapData] = std::move(maps.dcMap);
  result.slots[MapSlotIndex::PremappedDcMapData] = std::move(maps.premappedDcMap);
  return result;
}

}  // namespace ombrixdc
