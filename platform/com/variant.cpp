#include "platform/com/variant.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "platform/com/dispatch.h"
#include "platform/com/safearray.h"

namespace {

bool IsValidBaseType(VARTYPE base) {
  switch (base) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_VARIANT:
    case VT_UNKNOWN:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
      return true;
    default:
      return false;
  }
}

// Which tags a VARIANT may carry: a base type, an array of one, or a reference to either.
// A plain VT_VARIANT only exists by reference; VT_EMPTY and VT_NULL never by reference.
bool IsValidVartype(VARTYPE vt) {
  const VARTYPE base = vt & VT_TYPEMASK;
  if ((vt & ~(VT_TYPEMASK | VT_ARRAY | VT_BYREF)) != 0 || !IsValidBaseType(base)) {
    return false;
  }
  if (base == VT_VARIANT && !(vt & (VT_BYREF | VT_ARRAY))) {
    return false;
  }
  if ((base == VT_EMPTY || base == VT_NULL) && (vt & (VT_BYREF | VT_ARRAY))) {
    return false;
  }
  return true;
}

// A shallow, non-reference view of v: a reference is followed to the value it names.
// Nothing in the view is owned.
const VARIANT* Dereference(const VARIANT* v, VARIANT* scratch) {
  if (!(v->vt & VT_BYREF)) {
    return v;
  }
  const VARTYPE vt = v->vt & ~VT_BYREF;
  if (vt == VT_VARIANT) {
    return v->pvarVal ? Dereference(v->pvarVal, scratch) : nullptr;
  }
  VariantInit(scratch);
  scratch->vt = vt;
  if (!v->byref) {
    return nullptr;
  }
  if (vt & VT_ARRAY) {
    scratch->parray = *v->pparray;
    return scratch;
  }
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      std::memcpy(&scratch->bVal, v->byref, 1);
      break;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      std::memcpy(&scratch->iVal, v->byref, 2);
      break;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
    case VT_R4:
      std::memcpy(&scratch->lVal, v->byref, 4);
      break;
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
      std::memcpy(&scratch->byref, v->byref, sizeof(void*));
      break;
    default:  // 8-byte values
      std::memcpy(&scratch->llVal, v->byref, 8);
      break;
  }
  return scratch;
}

// ---- reading a number -------------------------------------------------------------------------

struct Number {
  bool integral = true;
  int64_t integer = 0;
  double real = 0.0;
};

std::u16string_view Trimmed(BSTR text) {
  std::u16string_view view(text ? text : u"", SysStringLen(text));
  while (!view.empty() && (view.front() == u' ' || view.front() == u'\t')) {
    view.remove_prefix(1);
  }
  while (!view.empty() && (view.back() == u' ' || view.back() == u'\t')) {
    view.remove_suffix(1);
  }
  return view;
}

// The "C" form of a number that from_chars found out of range: from_chars reports overflow and
// underflow alike and leaves its value untouched, while strtod in the "C" locale gives
// infinity for the one and the nearest tiny value (or zero) for the other.
double OutOfRangeValue(const std::string& text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return strtod_l(text.c_str(), nullptr, cLocale);
}

// Text in the "C" form of a number ("12", "-3.5", "1e-3"), whatever the process locale.
// DISP_E_TYPEMISMATCH for text that is no number; DISP_E_OVERFLOW for a number beyond the
// range of a double ("1e400"), never a silent zero. A number too small to tell from zero
// reads as zero.
HRESULT ParseNumber(BSTR text, Number* out) {
  std::u16string_view view = Trimmed(text);
  std::string narrow;
  for (char16_t c : view) {
    if (c > 0x7F) {
      return DISP_E_TYPEMISMATCH;
    }
    narrow.push_back(static_cast<char>(c));
  }
  if (!narrow.empty() && narrow.front() == '+') {
    narrow.erase(0, 1);
  }
  if (narrow.empty()) {
    return DISP_E_TYPEMISMATCH;
  }
  const char* first = narrow.data();
  const char* last = first + narrow.size();
  int64_t integer = 0;
  auto [intEnd, intError] = std::from_chars(first, last, integer);
  if (intError == std::errc() && intEnd == last) {
    *out = {true, integer, 0.0};
    return S_OK;
  }
  double real = 0.0;
  auto [end, error] = std::from_chars(first, last, real);
  if (end != last || (error != std::errc() && error != std::errc::result_out_of_range)) {
    return DISP_E_TYPEMISMATCH;
  }
  if (error == std::errc::result_out_of_range) {
    real = OutOfRangeValue(narrow);
    if (std::isinf(real)) {
      return DISP_E_OVERFLOW;
    }
  }
  *out = {false, 0, real};
  return S_OK;
}

HRESULT ReadNumber(const VARIANT& v, Number* out) {
  switch (v.vt) {
    case VT_EMPTY:
      *out = {};
      return S_OK;
    case VT_I1:
      *out = {true, static_cast<signed char>(v.cVal), 0.0};
      return S_OK;
    case VT_UI1:
      *out = {true, v.bVal, 0.0};
      return S_OK;
    case VT_I2:
      *out = {true, v.iVal, 0.0};
      return S_OK;
    case VT_UI2:
      *out = {true, v.uiVal, 0.0};
      return S_OK;
    case VT_BOOL:
      *out = {true, v.boolVal, 0.0};
      return S_OK;
    case VT_I4:
    case VT_INT:
      *out = {true, v.lVal, 0.0};
      return S_OK;
    case VT_UI4:
    case VT_UINT:
      *out = {true, v.ulVal, 0.0};
      return S_OK;
    case VT_I8:
      *out = {true, v.llVal, 0.0};
      return S_OK;
    case VT_UI8:
      if (v.ullVal > static_cast<ULONGLONG>(std::numeric_limits<int64_t>::max())) {
        *out = {false, 0, static_cast<double>(v.ullVal)};
      } else {
        *out = {true, static_cast<int64_t>(v.ullVal), 0.0};
      }
      return S_OK;
    case VT_R4:
      *out = {false, 0, v.fltVal};
      return S_OK;
    case VT_R8:
      *out = {false, 0, v.dblVal};
      return S_OK;
    case VT_BSTR:
      return ParseNumber(v.bstrVal, out);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

// An integer within [low, high]; a fraction rounds half to even, as the platform does.
HRESULT ToInteger(const Number& n, int64_t low, int64_t high, int64_t* out) {
  if (n.integral) {
    if (n.integer < low || n.integer > high) {
      return DISP_E_OVERFLOW;
    }
    *out = n.integer;
    return S_OK;
  }
  const double rounded = std::nearbyint(n.real);
  if (!(rounded >= static_cast<double>(low) && rounded <= static_cast<double>(high))) {
    return DISP_E_OVERFLOW;  // also NaN
  }
  *out = static_cast<int64_t>(rounded);
  return S_OK;
}

HRESULT StoreInteger(const Number& n, VARTYPE vt, VARIANT* out) {
  int64_t value = 0;
  HRESULT hr = S_OK;
  switch (vt) {
    case VT_I1:
      hr = ToInteger(n, INT8_MIN, INT8_MAX, &value);
      out->cVal = static_cast<CHAR>(value);
      break;
    case VT_UI1:
      hr = ToInteger(n, 0, UINT8_MAX, &value);
      out->bVal = static_cast<BYTE>(value);
      break;
    case VT_I2:
      hr = ToInteger(n, INT16_MIN, INT16_MAX, &value);
      out->iVal = static_cast<SHORT>(value);
      break;
    case VT_UI2:
      hr = ToInteger(n, 0, UINT16_MAX, &value);
      out->uiVal = static_cast<USHORT>(value);
      break;
    case VT_I4:
    case VT_INT:
      hr = ToInteger(n, INT32_MIN, INT32_MAX, &value);
      out->lVal = static_cast<LONG>(value);
      break;
    case VT_UI4:
    case VT_UINT:
      hr = ToInteger(n, 0, UINT32_MAX, &value);
      out->ulVal = static_cast<ULONG>(value);
      break;
    default:  // VT_I8
      hr = ToInteger(n, INT64_MIN, INT64_MAX, &value);
      out->llVal = value;
      break;
  }
  if (SUCCEEDED(hr)) {
    out->vt = vt;
  }
  return hr;
}

double RealOf(const Number& n) {
  return n.integral ? static_cast<double>(n.integer) : n.real;
}

// ---- text --------------------------------------------------------------------------------------

bool EqualsIgnoringCase(std::u16string_view text, std::string_view word) {
  if (text.size() != word.size()) {
    return false;
  }
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const char16_t lower = (c >= u'A' && c <= u'Z') ? c - u'A' + u'a' : c;
    if (lower != static_cast<char16_t>(word[i])) {
      return false;
    }
  }
  return true;
}

// Shortest text that reads back as the same double, exponent in capitals as clients expect.
std::string FormatReal(double value) {
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, error == std::errc() ? end : buffer);
  for (char& c : text) {
    if (c == 'e') {
      c = 'E';
    }
  }
  return text;
}

HRESULT ToText(const VARIANT& v, USHORT flags, VARIANT* out) {
  std::string text;
  if (v.vt == VT_BSTR) {
    BSTR copy = v.bstrVal ? SysAllocStringLen(v.bstrVal, SysStringLen(v.bstrVal)) : nullptr;
    if (v.bstrVal && !copy) {
      return E_OUTOFMEMORY;
    }
    out->vt = VT_BSTR;
    out->bstrVal = copy;
    return S_OK;
  }
  if (v.vt == VT_BOOL) {
    const bool value = v.boolVal != VARIANT_FALSE;
    text = (flags & VARIANT_ALPHABOOL) ? (value ? "True" : "False") : (value ? "-1" : "0");
  } else if (v.vt != VT_EMPTY) {
    Number n;
    const HRESULT hr = ReadNumber(v, &n);
    if (FAILED(hr)) {
      return hr;
    }
    text = n.integral ? std::to_string(n.integer) : FormatReal(n.real);
  }
  BSTR result = BstrFromUtf8(text);
  if (!result) {
    return E_OUTOFMEMORY;
  }
  out->vt = VT_BSTR;
  out->bstrVal = result;
  return S_OK;
}

HRESULT ToBool(const VARIANT& v, VARIANT* out) {
  if (v.vt == VT_BSTR) {
    const std::u16string_view text = Trimmed(v.bstrVal);
    if (EqualsIgnoringCase(text, "true") || EqualsIgnoringCase(text, "false")) {
      out->vt = VT_BOOL;
      out->boolVal = EqualsIgnoringCase(text, "true") ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
  }
  Number n;
  const HRESULT hr = ReadNumber(v, &n);
  if (FAILED(hr)) {
    return hr;
  }
  const bool nonzero = n.integral ? n.integer != 0 : n.real != 0.0;
  out->vt = VT_BOOL;
  out->boolVal = nonzero ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT ToInterface(const VARIANT& v, VARTYPE vt, VARIANT* out) {
  if (v.vt != VT_UNKNOWN && v.vt != VT_DISPATCH) {
    return DISP_E_TYPEMISMATCH;
  }
  IUnknown* object = v.punkVal;  // a dispatch pointer is an IUnknown pointer too
  if (vt == VT_DISPATCH && v.vt == VT_UNKNOWN && object) {
    IDispatch* dispatch = nullptr;
    if (FAILED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
      return DISP_E_TYPEMISMATCH;
    }
    out->vt = VT_DISPATCH;
    out->pdispVal = dispatch;
    return S_OK;
  }
  if (object) {
    object->AddRef();
  }
  out->vt = vt;
  out->punkVal = object;
  return S_OK;
}

HRESULT Convert(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT* out) {
  if (v.vt == vt || vt == VT_EMPTY) {
    return vt == VT_EMPTY ? S_OK : VariantCopy(out, &v);
  }
  switch (vt) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8: {
      Number n;
      const HRESULT hr = ReadNumber(v, &n);
      return FAILED(hr) ? hr : StoreInteger(n, vt, out);
    }
    case VT_R4:
    case VT_R8: {
      Number n;
      const HRESULT hr = ReadNumber(v, &n);
      if (FAILED(hr)) {
        return hr;
      }
      const double value = RealOf(n);
      if (vt == VT_R4) {
        if (std::isfinite(value) && std::abs(value) > std::numeric_limits<float>::max()) {
          return DISP_E_OVERFLOW;
        }
        out->fltVal = static_cast<float>(value);
      } else {
        out->dblVal = value;
      }
      out->vt = vt;
      return S_OK;
    }
    case VT_BSTR:
      return ToText(v, flags, out);
    case VT_BOOL:
      return ToBool(v, out);
    case VT_UNKNOWN:
    case VT_DISPATCH:
      return ToInterface(v, vt, out);
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

}  // namespace

void VariantInit(VARIANTARG* v) {
  v->vt = VT_EMPTY;
  v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
  v->record = {nullptr, nullptr};
}

HRESULT VariantClear(VARIANTARG* v) {
  if (!v) {
    return E_INVALIDARG;
  }
  if (!IsValidVartype(v->vt)) {
    return DISP_E_BADVARTYPE;
  }
  if (!(v->vt & VT_BYREF)) {
    if (v->vt & VT_ARRAY) {
      const HRESULT hr = SafeArrayDestroy(v->parray);
      if (FAILED(hr)) {
        return hr;
      }
    } else if (v->vt == VT_BSTR) {
      SysFreeString(v->bstrVal);
    } else if ((v->vt == VT_UNKNOWN || v->vt == VT_DISPATCH) && v->punkVal) {
      v->punkVal->Release();
    }
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src) {
  if (!dest || !src) {
    return E_INVALIDARG;
  }
  if (!IsValidVartype(src->vt)) {
    return DISP_E_BADVARTYPE;
  }
  if (dest == src) {
    return S_OK;
  }
  VARIANT copy = *src;
  if (!(src->vt & VT_BYREF)) {
    if (src->vt & VT_ARRAY) {
      const HRESULT hr = SafeArrayCopy(src->parray, &copy.parray);
      if (FAILED(hr)) {
        return hr;
      }
    } else if (src->vt == VT_BSTR && src->bstrVal) {
      copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
      if (!copy.bstrVal) {
        return E_OUTOFMEMORY;
      }
    } else if ((src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) && src->punkVal) {
      src->punkVal->AddRef();
    }
  }
  const HRESULT hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *dest = copy;
  return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* src) {
  if (!dest || !src) {
    return E_INVALIDARG;
  }
  if (!IsValidVartype(src->vt)) {
    return DISP_E_BADVARTYPE;
  }
  VARIANT scratch;
  const VARIANT* value = Dereference(src, &scratch);
  if (!value) {
    return E_INVALIDARG;
  }
  VARIANT copy;
  VariantInit(&copy);
  HRESULT hr = VariantCopy(&copy, value);
  if (FAILED(hr)) {
    return hr;
  }
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *dest = copy;
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE vt) {
  if (!dest || !src) {
    return E_INVALIDARG;
  }
  if (!IsValidVartype(src->vt)) {
    return DISP_E_BADVARTYPE;
  }
  if (vt & VT_BYREF) {
    return DISP_E_TYPEMISMATCH;
  }
  VARIANT scratch;
  const VARIANT* value = Dereference(src, &scratch);
  if (!value) {
    return E_INVALIDARG;
  }
  VARIANT result;
  VariantInit(&result);
  HRESULT hr = Convert(*value, flags, vt, &result);
  if (FAILED(hr)) {
    return hr;
  }
  // Converting in place: the result is already independent of the source.
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  *dest = result;
  return S_OK;
}
