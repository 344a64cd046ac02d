#pragma once
// Automation values: a tagged union laid out as on 64-bit Windows (24 bytes: the type tag,
// three reserved words, then 16 bytes of value), with initialisation, clearing, copying
// and coercion between types.
#include <cstddef>

#include "platform/com/bstr.h"
#include "platform/com/hresult.h"
#include "platform/com/types.h"

struct IUnknown;
struct IDispatch;
struct SAFEARRAY;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_SAFEARRAY = 27,
  VT_USERDEFINED = 29,
  VT_RECORD = 36,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

// The two pointers of a record value; they give the value union its 16 bytes.
struct VariantRecord {
  void* pvRecord;
  IUnknown* pRecInfo;
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    BYTE* pbVal;
    SHORT* piVal;
    LONG* plVal;
    LONGLONG* pllVal;
    FLOAT* pfltVal;
    DOUBLE* pdblVal;
    VARIANT_BOOL* pboolVal;
    SCODE* pscode;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
    SAFEARRAY** pparray;
    VARIANT* pvarVal;
    void* byref;
    CHAR cVal;
    USHORT uiVal;
    ULONG ulVal;
    ULONGLONG ullVal;
    INT intVal;
    UINT uintVal;
    INT* pintVal;
    UINT* puintVal;
    VariantRecord record;
  };
};
using VARIANTARG = VARIANT;
static_assert(sizeof(VARIANT) == 24, "VARIANT must match the 64-bit platform layout");
static_assert(offsetof(VARIANT, lVal) == 8);

// The platform's accessor macros, so that code written against them compiles unchanged.
#define V_VT(v) ((v)->vt)
#define V_ISBYREF(v) (((v)->vt & VT_BYREF) != 0)
#define V_ISARRAY(v) (((v)->vt & VT_ARRAY) != 0)
#define V_I4(v) ((v)->lVal)
#define V_I4REF(v) ((v)->plVal)
#define V_INT(v) ((v)->intVal)
#define V_INTREF(v) ((v)->pintVal)
#define V_R8(v) ((v)->dblVal)
#define V_R8REF(v) ((v)->pdblVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_BSTR(v) ((v)->bstrVal)
#define V_BSTRREF(v) ((v)->pbstrVal)
#define V_UNKNOWN(v) ((v)->punkVal)
#define V_UNKNOWNREF(v) ((v)->ppunkVal)
#define V_DISPATCH(v) ((v)->pdispVal)
#define V_DISPATCHREF(v) ((v)->ppdispVal)
#define V_ERROR(v) ((v)->scode)
#define V_ARRAY(v) ((v)->parray)
#define V_ARRAYREF(v) ((v)->pparray)
#define V_VARIANTREF(v) ((v)->pvarVal)
#define V_BYREF(v) ((v)->byref)

// Flags of VariantChangeType.
inline constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
inline constexpr USHORT VARIANT_ALPHABOOL = 0x02;

// Sets the type to VT_EMPTY without looking at the old contents.
void VariantInit(VARIANTARG* v);
// Frees what the value owns (string, array, interface reference) and leaves VT_EMPTY.
// DISP_E_BADVARTYPE for a type tag that is not a valid combination (the value is left alone).
HRESULT VariantClear(VARIANTARG* v);
// Clears dest, then makes it an independent copy of src (strings and arrays duplicated,
// interfaces AddRef'd). A by-reference value is copied as the same reference.
HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src);
// As VariantCopy, but a by-reference value is copied as the value it refers to.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* src);
// Converts src (followed through a reference) to type vt and stores the result in dest,
// which may be src itself. Numbers convert to numbers with range checks (DISP_E_OVERFLOW;
// fractions round half to even), to and from text without regard to the process locale,
// text that is no number gives DISP_E_TYPEMISMATCH, as does a null value or an error code.
// On failure dest is unchanged.
HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE vt);

// A VARIANT that clears itself: usable wherever a VARIANT* is expected.
struct ComVariant : VARIANT {
  ComVariant() { VariantInit(this); }
  ~ComVariant() { VariantClear(this); }
  ComVariant(const ComVariant&) = delete;
  ComVariant& operator=(const ComVariant&) = delete;
};
