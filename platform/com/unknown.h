#pragma once
// The root interface of every object (in the public header), with identifier text forms.
#include "include/OmbrixDC_com.h"
#include "platform/com/guid.h"
