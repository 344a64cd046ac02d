#pragma once
// Arguments as an automation client builds them for IDispatch::Invoke.
#include <string>
#include <type_traits>

#include "platform/com/bstr.h"
#include "platform/com/variant.h"

// A variant of type `vt` with every member zero (so every pointer member null).
inline VARIANT Of(VARTYPE vt) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  return v;
}
// The same with its member `field` set to `value`.
template <class T>
inline VARIANT Of(VARTYPE vt, T VARIANT::*field, std::type_identity_t<T> value) {
  VARIANT v = Of(vt);
  v.*field = value;
  return v;
}
inline VARIANT Long(LONG value) {
  return Of(VT_I4, &VARIANT::lVal, value);
}
inline VARIANT Real(double value) {
  return Of(VT_R8, &VARIANT::dblVal, value);
}
inline VARIANT Missing() {
  return Of(VT_ERROR, &VARIANT::scode, DISP_E_PARAMNOTFOUND);
}
// An object argument (the variant does not own it).
inline VARIANT Unknown(IUnknown* object = nullptr) {
  return Of(VT_UNKNOWN, &VARIANT::punkVal, object);
}
// Owns its string: the caller frees it with VariantClear.
inline VARIANT Text(const std::string& utf8) {
  return Of(VT_BSTR, &VARIANT::bstrVal, BstrFromUtf8(utf8));
}
// A reference to a variable of the client's, for an output.
inline VARIANT Ref(VARTYPE vt, void* target) {
  return Of(VT_BYREF | vt, &VARIANT::byref, target);
}
