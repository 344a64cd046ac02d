#pragma once
// The public interface header as the component's own code sees it.
#include "include/CoVexa_OmbrixDC.h"
