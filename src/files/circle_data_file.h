#pragma once
// The circle data file ("_circle<n>.rsd") that accompanies each map file: the reference data a
// compensated run shows beside its corrected scan, the Slow and SlowMap data sets of the
// learning run and the slow scan's centre.
#include <string>

#include "platform/trivell/geometry.h"
#include "src/engine/error_number.h"
#include "src/engine/profile.h"
#include "src/files/token_reader.h"

namespace ombrixdc {

struct CircleData {
  CMaPoint slowCentre{0.0, 0.0, 0.0};  // the slow scan's fitted centre, machine coordinates
  DataSet slow;
  DataSet slowMap;
};

// Two blocks, "Slow Scan Data" and "Premapped Slow Scan Data", each with the form, radius and
// centre of the data set's least-squares circle (the centre in machine coordinates: the fit's
// centre plus slowCentre), "DataSize: n" and n rows of radius and angle. CR LF line ends.
std::string WriteCircleDataFile(const CircleData& data);

struct [[nodiscard]] CircleDataResult {
  // slowCentre is the centre written in the first block: the Slow data set's own fitted
  // centre in machine coordinates (to six decimals), which is what its points are shown about.
  CircleData data;
  // StoredMapUnusable when a number could not be read, or a count is larger than the rest of
  // the file can hold: the file is damaged. A data set with a bad row keeps its declared size
  // with the rows read so far; one with an impossible count is empty.
  ErrorNumber error = ErrorNumber::None;
};
// Reads the circle data file in `reader` from its start. A negative count reads as empty.
CircleDataResult ReadCircleDataFile(TokenReader& reader);

}  // namespace ombrixdc
