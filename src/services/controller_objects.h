#pragma once
// Creation of controller objects by class id, with any server context allowed.
#include "platform/com/class_registry.h"
#include "platform/com/com_ptr.h"

namespace ombrixdc {

template <class T>
HRESULT CreateControllerObject(REFCLSID clsid, ComPtr<T>* out) {
  return CoCreateInstance(clsid, nullptr, CLSCTX_ALL, InterfaceId<T>::value,
                          out->ReleaseAndGetVoidAddressOf());
}

}  // namespace ombrixdc
