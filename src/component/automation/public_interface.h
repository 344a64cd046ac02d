#pragma once
// The public interface header as the component's own code sees it, with the platform's
// helpers for the types it declares (string and value owners, identifier text).
#include "include/CoVexa_OmbrixDC.h"
#include "platform/com/connection_point.h"
#include "platform/com/dispatch.h"
#include "platform/com/guid.h"
#include "platform/com/safearray.h"
