#pragma once
// Late binding: IDispatch and its argument types (in the public header), with the string and
// value owners that callers of Invoke use.
#include "include/OmbrixDC_com.h"
#include "platform/com/bstr.h"
#include "platform/com/variant.h"
