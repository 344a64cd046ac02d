#pragma once
// The computation of a learning run and of a compensated run, from prepared profiles to the
// six data sets and the map slots. The procedures call the steps one by one (they check for
// an abort between them); ComputeLearning and ComputeCompensated run them all at once.
// Every step returns ErrorNumber::None or the number the run fails with, and then computes
// nothing further.
#include <cstdint>

#include "src/engine/error_number.h"
#include "src/engine/map_grid.h"
#include "src/engine/map_slots.h"
#include "src/engine/profile.h"

namespace ombrixdc {

// What a run's settings fix for the computation.
struct CompensationParameters {
  int32_t filterMethod = 1;   // FilterMethod: 1 first order, otherwise second order
  int32_t filterNumber = 20;  // FilterNumber
  double mapPitch = 0.0;      // DCMapPitch, arc length between grid angles
  double featureRadius = 0.0;
  double mapGridStartAngle = kMapGridStartAngle;
};

// The slow scan's results: Slow (filtered, on the grid), SlowMap (Slow premapped, i.e. the
// least-squares radius everywhere) and PreMapData.
struct [[nodiscard]] ReferenceResult {
  ErrorNumber error = ErrorNumber::None;
  DataSet slow;
  DataSet slowMap;
  MapSlot preMap;
};
ReferenceResult ComputeReference(const CompensationParameters& parameters,
                                 const RadialProfile& slowProfile);

// Fast: the fast scan filtered as the slow scan was and put onto the same grid.
DataSetResult ComputeFast(const CompensationParameters& parameters,
                          const RadialProfile& fastProfile);

// FastMap: Fast premapped with PreMapData, interpolated onto Fast's angles when the slot was
// stored on another grid. Fails with ErrorNumber::StoredMapUnusable when the slot is unusable.
DataSetResult ComputeFastMap(const MapSlot& preMap, const DataSet& fast);

// DcMapData (Slow - Fast) and PremappedDcMapData (SlowMap - FastMap); learning only.
struct [[nodiscard]] LearnedMaps {
  ErrorNumber error = ErrorNumber::None;
  MapSlot dcMap;
  MapSlot premappedDcMap;
};
LearnedMaps LearnDcMaps(const DataSet& slow, const DataSet& slowMap, const DataSet& fast,
                        const DataSet& fastMap);

// Corrected (Fast + DcMapData) and CorrectedMap (FastMap + PremappedDcMapData).
struct [[nodiscard]] CorrectedResult {
  ErrorNumber error = ErrorNumber::None;
  DataSet corrected;
  DataSet correctedMap;
};
CorrectedResult ComputeCorrected(const MapSlot& dcMap, const MapSlot& premappedDcMap,
                                 const DataSet& fast, const DataSet& fastMap);

struct RunDataSets {
  DataSet slow;
  DataSet fast;
  DataSet corrected;
  DataSet slowMap;
  DataSet fastMap;
  DataSet correctedMap;
};

// A whole learning run's computation: all six data sets and all three map slots.
struct [[nodiscard]] LearningResult {
  ErrorNumber error = ErrorNumber::None;
  RunDataSets dataSets;
  MapSlots slots;
};
LearningResult ComputeLearning(const CompensationParameters& parameters,
                               const RadialProfile& slowProfile, const RadialProfile& fastProfile);

// A compensated run's computation with a stored map: Fast, FastMap, Corrected, CorrectedMap.
struct [[nodiscard]] CompensatedResult {
  ErrorNumber error = ErrorNumber::None;
  DataSet fast;
  DataSet fastMap;
  DataSet corrected;
  DataSet correctedMap;
};
CompensatedResult ComputeCompensated(const CompensationParameters& parameters,
                                     const MapSlots& slots, const RadialProfile& fastProfile);

}  // namespace ombrixdc
