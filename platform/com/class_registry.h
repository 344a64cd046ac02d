#pragma once
// Creation of objects by class id. Classes registered in the process (the simulated
// controller, test fakes) are found first.
#include <functional>

#include "platform/com/unknown.h"

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
// CoRevokeClassObject. A later registration of the same class id takes precedence, and
// revoking it brings the earlier one back. A REGCLS_SINGLEUSE registration serves one
// CoCreateInstance and is then hidden (it still needs revoking). The context is recorded but
// does not filter: an in-process registration serves every context. Cookies are never 0.
// A null factory or unknown flags give E_INVALIDARG, a null cookie E_POINTER.
HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD clsContext, DWORD flags,
                              DWORD* cookie);
// Drops the registration and its reference to the factory; an unknown cookie gives
// E_INVALIDARG.
HRESULT CoRevokeClassObject(DWORD cookie);

// Creates an object of the class and returns the requested interface: from a class
// registered in this process, else from the module that the registry store's InprocServer32
// entry names. Aggregation is not supported (CLASS_E_NOAGGREGATION); an unknown class gives
// REGDB_E_CLASSNOTREG.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsContext, REFIID riid,
                         void** ppv);

// A class factory whose CreateInstance calls `create` and queries the result for riid
// (a null result gives E_OUTOFMEMORY). The factory itself does not count in
// ComObjectsAlive: a client that keeps a factory for later holds the module with LockServer.
// `create` returns an object holding one reference, e.g. MakeComObject<T>().Detach(); a bare
// `new T` holds none and would be freed by the factory's own query and release.
using CreateObjectFn = std::function<IUnknown*()>;
IClassFactory* NewClassFactory(CreateObjectFn create);  // returned with one reference

// Registers NewClassFactory(create) for clsid (multiple use) and returns its cookie, or 0
// when it could not be registered.
DWORD RegisterInProcessClass(REFCLSID clsid, CreateObjectFn create);

// Server locks taken by LockServer(TRUE) on factories from NewClassFactory and not yet
// released; with ComObjectsAlive, what decides whether a module may be unloaded.
ULONG ComServerLocks();
