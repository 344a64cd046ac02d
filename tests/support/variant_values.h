#pragma once
// Arguments as an automation client builds them for IDispatch::Invoke.
#include <string>

#include "platform/com/bstr.h"
#include "platform/com/variant.h"

// A variant of type `vt` with every member zero (so every pointer member null).
inline VARIANT Of(VARTYPE vt) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  return v;
}
inline VARIANT Long(LONG value) {
  VARIANT v = Of(VT_I4);
  v.lVal = value;
  return v;
}
inline VARIANT Real(double value) {
  VARIANT v = Of(VT_R8);
  v.dblVal = value;
  return v;
}
inline VARIANT Missing() {
  VARIANT v = Of(VT_ERROR);
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}
// An object argument (the variant does not own it).
inline VARIANT Unknown(IUnknown* object = nullptr) {
  VARIANT v = Of(VT_UNKNOWN);
  v.punkVal = object;
  return v;
}
// Owns its string: the caller frees it with VariantClear.
inline VARIANT Text(const std::string& utf8) {
  VARIANT v = Of(VT_BSTR);
  v.bstrVal = BstrFromUtf8(utf8);
  return v;
}
// A reference to a variable of the client's, for an output.
inline VARIANT Ref(VARTYPE vt, void* target) {
  VARIANT v = Of(VT_BYREF | vt);
  v.byref = target;
  return v;
}
