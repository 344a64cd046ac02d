#pragma once
// Outgoing interfaces: connection points and their enumerators (in the public header).
#include "include/OmbrixDC_com.h"
