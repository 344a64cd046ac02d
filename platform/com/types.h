#pragma once
// Fixed-width names of the platform's automation types (in the public header).
#include "include/OmbrixDC_com.h"
