#pragma once
// The automatic choice of the plot's ring spacing: the smallest interval of kRingIntervals that
// keeps the largest form of the shown scans within about three rings.
#include <array>
#include <cstdint>

#include "src/viewer/viewer_data.h"

namespace ombrixdc {

// Index into kRingIntervals for a triple of forms (mm): with e the largest form,
// c = 1 - trunc((1000 e - 1) * (-1/3)) microns, the first index whose interval is at least c,
// or the last index. A form that is not a finite number counts as too large to fit.
int32_t ChooseRingIndex(const std::array<double, 3>& forms);

struct RingIndexChoice {
  int32_t metrologyIndex = -1;   // from the forms of data sets 0, 1, 2
  int32_t normalisedIndex = -1;  // from the forms of data sets 3, 4, 5
  int32_t RingIndex = -1;        // the larger of the two: one scale serves both views
};
RingIndexChoice ChooseRingIndex(const std::array<double, 3>& metrologyForms,
                                const std::array<double, 3>& normalisedForms);
// The same from the forms held in the data sets.
RingIndexChoice ChooseRingIndex(const ViewerDataSets& data);

}  // namespace ombrixdc
