#pragma once
// Classes registered in the registry store rather than in this process: the class key's
// InprocServer32 names the module to load, whose DllGetClassObject hands out the factory.
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"

// REGDB_E_CLASSNOTREG when the class has no InprocServer32 entry; CO_E_DLLNOTFOUND when the
// module cannot be loaded; CO_E_ERRORINDLL when it has no DllGetClassObject; otherwise what
// DllGetClassObject returns.
HRESULT GetClassObjectFromStore(REFCLSID clsid, DWORD clsContext, ComPtr<IUnknown>* factory);

// The class id registered for a ProgID (its CLSID subkey, or that of its CurVer).
// CO_E_CLASSSTRING when the ProgID is unknown or its class id malformed.
HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
