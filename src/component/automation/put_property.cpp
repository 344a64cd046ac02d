#include "src/component/automation/put_property.h"

namespace ombrixdc {

HRESULT PutPropertyByName(IDispatch* object, std::string_view name, std::string_view valueText) {
  if (!object) {
    return E_POINTER;
  }
  ComBstr member(name);
  LPOLESTR names[] = {member.Get()};
  DISPID dispid = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
  if (FAILED(hr)) {
    return hr;
  }
  ComVariant value;
  value.vt = VT_BSTR;
  value.bstrVal = BstrFromUtf8(valueText);
  if (!value.bstrVal) {
    return E_OUTOFMEMORY;
  }
  DISPID namedPut = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &namedPut, 1, 1};
  return object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                        nullptr, nullptr, nullptr);
}

}  // namespace ombrixdc
