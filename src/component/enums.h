#pragma once
// The enumerations of the automation interface are those of the public header, so clients
// and the component can never disagree on a value.
#include <cstdint>

#include "include/CoVexa_OmbrixDC.h"

namespace ombrixdc {

// Data sets a run produces, one per EDataType.
inline constexpr int32_t kDataTypeCount = 6;

}  // namespace ombrixdc
