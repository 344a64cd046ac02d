#pragma once
// The public interface header as the component's own code sees it. The component defines
// the enumerations in src/component/enums.h; the public header carries the same definitions
// for clients and skips them when they are already there.
#include "src/component/enums.h"
#define OMBRIXDC_ENUMERATIONS_DEFINED
#include "include/CoVexa_OmbrixDC.h"
