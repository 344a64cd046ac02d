#pragma once
// Setting a property by name, as a script does: the name is bound with GetIDsOfNames and the
// value is put with Invoke as text, which the object's dispatch converts to the property's
// type.
#include <string_view>

#include "platform/com/dispatch.h"

namespace ombrixdc {

// DISP_E_UNKNOWNNAME for an unknown name, DISP_E_MEMBERNOTFOUND for a read-only property or a
// method, DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW for a value that does not convert.
HRESULT PutPropertyByName(IDispatch* object, std::string_view name, std::string_view valueText);

}  // namespace ombrixdc
