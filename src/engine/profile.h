#pragma once
// A circle scan as radii about a centre: radii[i] (feature length unit) at angles[i]
// (radians), both arrays of equal length.
#include "platform/trivell/geometry.h"
#include "src/engine/error_number.h"

namespace ombrixdc {

// One prepared scan about its own fitted centre. After preparation the angles increase along
// the array and span at most one revolution starting at the +Y axis.
struct RadialProfile {
  CMaDoubleArray radii;
  CMaDoubleArray angles;
};

// One of the six results of a run (slow, fast, corrected and the three premapped ones): a
// profile on the map grid, about the slow or the fast scan's centre.
using DataSet = RadialProfile;

// A data set, or the error number that kept it from being computed (then it is empty).
struct [[nodiscard]] DataSetResult {
  ErrorNumber error = ErrorNumber::None;
  DataSet data;
};

}  // namespace ombrixdc
