#include "platform/com/store_class_lookup.h"

#include "platform/com/class_registry.h"
#include "platform/com/module_loader.h"
#include "platform/com/registry_store.h"

HRESULT GetClassObjectFromStore(REFCLSID clsid, DWORD /*clsContext*/, ComPtr<IUnknown>* factory) {
  ClassesRoot root;
  HRESULT hr = ReadClassesRoot(&root);
  if (FAILED(hr)) {
    return hr;
  }
  const std::optional<std::string> module =
      root.Value("CLSID\\" + FormatGuid(clsid) + "\\InprocServer32");
  if (!module || module->empty()) {
    return REGDB_E_CLASSNOTREG;
  }
  void* handle = nullptr;
  hr = LoadServerModule(*module, &handle);
  if (FAILED(hr)) {
    return hr;
  }
  auto getClassObject =
      reinterpret_cast<DllGetClassObjectFunction>(FindModuleExport(handle, "DllGetClassObject"));
  if (!getClassObject) {
    return CO_E_ERRORINDLL;
  }
  return getClassObject(clsid, IID_IClassFactory, factory->ReleaseAndGetVoidAddressOf());
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
  if (!progId || !clsid) {
    return E_INVALIDARG;
  }
  ClassesRoot root;
  if (FAILED(ReadClassesRoot(&root))) {
    return CO_E_CLASSSTRING;
  }
  const std::string name = ComBstr::Attach(SysAllocString(progId)).Utf8();
  std::optional<std::string> text = root.Value(name + "\\CLSID");
  if (!text) {
    // A version-independent ProgID may name its class only through its current version.
    if (const std::optional<std::string> current = root.Value(name + "\\CurVer")) {
      text = root.Value(*current + "\\CLSID");
    }
  }
  const std::optional<GUID> parsed = text ? ParseGuid(*text) : std::nullopt;
  if (!parsed) {
    return CO_E_CLASSSTRING;
  }
  *clsid = *parsed;
  return S_OK;
}
