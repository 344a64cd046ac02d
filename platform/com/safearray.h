#pragma once
// Automation arrays and their functions (in the public header).
#include "include/OmbrixDC_com.h"
