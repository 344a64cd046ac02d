#pragma once
// Creation of objects by class id. Classes registered in the process (the simulated
// controller, test fakes) are found first.
#include <functional>

#include "platform/com/unknown.h"

inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IClassFactory : IUnknown {
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};
OMBRIXDC_INTERFACE_ID(IClassFactory, IID_IClassFactory);

enum CLSCTX : DWORD {
  CLSCTX_INPROC_SERVER = 0x1,
  CLSCTX_INPROC_HANDLER = 0x2,
  CLSCTX_LOCAL_SERVER = 0x4,
  CLSCTX_REMOTE_SERVER = 0x10,
  CLSCTX_SERVER = 0x15,
  CLSCTX_ALL = 0x17,
};

enum REGCLS : DWORD { REGCLS_SINGLEUSE = 0, REGCLS_MULTIPLEUSE = 1 };

// Registers a class factory for clsid in this process; the registry holds a reference until
// CoRevokeClassObject. A later registration of the same class id takes precedence.
HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD clsContext, DWORD flags,
                              DWORD* cookie);
HRESULT CoRevokeClassObject(DWORD cookie);

// Creates an object of the class and returns the requested interface. Aggregation is not
// supported (CLASS_E_NOAGGREGATION); an unknown class gives REGDB_E_CLASSNOTREG.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsContext, REFIID riid,
                         void** ppv);

// A class factory whose CreateInstance calls `create` and queries the result for riid.
using CreateObjectFn = std::function<IUnknown*()>;  // returns an object with one reference
IClassFactory* NewClassFactory(CreateObjectFn create);  // returned with one reference

// Registers NewClassFactory(create) for clsid and returns its cookie.
DWORD RegisterInProcessClass(REFCLSID clsid, CreateObjectFn create);
