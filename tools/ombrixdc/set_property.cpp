#include "tools/ombrixdc/set_property.h"

#include <cstdio>

#include "src/component/automation/put_property.h"

std::string HexCode(uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", code);
  return text;
}

bool SetProperty(IDispatch* object, std::string_view assignment, std::string* error) {
  const size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) {
    *error = "expected NAME=VALUE";
    return false;
  }
  const HRESULT hr = ombrixdc::PutPropertyByName(object, assignment.substr(0, equals),
                                                 assignment.substr(equals + 1));
  if (SUCCEEDED(hr)) {
    return true;
  }
  if (hr == DISP_E_UNKNOWNNAME) {
    *error = "no such property (the names are those 'ombrixdc idl' lists)";
  } else if (hr == DISP_E_MEMBERNOTFOUND) {
    *error = "not a property that can be set";
  } else if (hr == DISP_E_OVERFLOW) {
    *error = "value out of range for this property";
  } else if (hr == DISP_E_TYPEMISMATCH) {
    *error = "not a valid value for this property";
  } else {
    *error = "refused with " + HexCode(static_cast<uint32_t>(hr));
  }
  return false;
}
