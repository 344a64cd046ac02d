#pragma once
// Status codes returned by every interface call (in the public header).
#include "include/OmbrixDC_com.h"
