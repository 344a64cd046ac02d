#pragma once
// What one run produced, published as one value when its worker ends, so that GetData,
// SaveData, the viewer and the command line never combine the data sets of one run with the
// centres, feature or map number of another.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/trivell/geometry.h"
#include "src/component/enums.h"
#include "src/engine/profile.h"
#include "src/files/map_file.h"

namespace ombrixdc {

// What the run did with a stored map pair.
enum class MapUse { None, Used, Written };

struct RunResults {
  // Indexed by EDataType; a data set the run did not reach is empty.
  std::array<DataSet, kDataTypeCount> dataSets;
  CMaPoint slowCentre;
  CMaPoint fastCentre;
  // The feature and settings the run measured, with the fast speed it scanned at.
  MapFileHeader feature;
  int32_t learning = E_OMBRIX_DC_CIRCLE_NO_LEARNING;
  std::string runDirectory;  // as the run was given it; empty when none was formed
  int32_t mapNumber = 0;     // the stored pair used or written; 0 when none
  MapUse mapUse = MapUse::None;
};

using PublishedRunResults = std::shared_ptr<const RunResults>;

}  // namespace ombrixdc
