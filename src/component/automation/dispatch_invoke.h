#pragma once
// Late binding over an interface description: names to DISPIDs, and calls by DISPID with the
// arguments in VARIANTs, converted to the parameters' types and passed through the
// interface's function table.
#include "src/component/automation/type_library.h"

namespace ombrixdc {

// Names are compared without regard to case. rgszNames[0] names a member; any further names
// are its parameters, which get their positions (0, 1, ...). DISP_E_UNKNOWNNAME when a name
// is unknown (its DISPID is then DISPID_UNKNOWN).
HRESULT DescribedGetIDsOfNames(const InterfaceDescription& iface, REFIID riid, LPOLESTR* rgszNames,
                               UINT cNames, DISPID* rgDispId);

// Invoke as the platform's standard dispatch does it:
// - the member is chosen by DISPID and flags (a put for DISPATCH_PROPERTYPUT, a method for
//   DISPATCH_METHOD, a get for DISPATCH_PROPERTYGET); DISP_E_MEMBERNOTFOUND otherwise;
// - arguments come last first; named arguments by position, DISPID_PROPERTYPUT for the value
//   of a put; too many or too few give DISP_E_BADPARAMCOUNT; a missing optional argument
//   (absent, or VT_ERROR with DISP_E_PARAMNOTFOUND) is 0 or the absent string, a missing
//   required one DISP_E_PARAMNOTOPTIONAL;
// - [in] arguments are coerced to the parameter's type (DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW,
//   with *puArgErr the argument's index); an interface argument is queried for its interface;
// - [out] arguments are references to the parameter's type (what they held before is the
//   caller's to have freed) or to a VARIANT (cleared before the output goes in);
// - the retval goes into pVarResult (when given; overwritten, so the caller passes it empty);
// - a member failing with an error code gives DISP_E_EXCEPTION with the code in
//   pExcepInfo->scode; a success code (S_FALSE too) is returned as it is.
HRESULT DescribedInvoke(IVexa_CircleDC& object, const InterfaceDescription& iface, DISPID dispid,
                        REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr);

}  // namespace ombrixdc
