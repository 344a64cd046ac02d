#include "platform/com/class_registry.h"

#include <atomic>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/object.h"
#include "platform/com/store_class_lookup.h"

namespace {

// ---- the in-process class table -------------------------------------------------------------

struct Registration {
  DWORD cookie = 0;
  CLSID clsid = GUID_NULL;
  ComPtr<IUnknown> factory;
  DWORD clsContext = 0;
  bool singleUse = false;
  bool used = false;  // a single-use registration that has served its one creation
};

// Any thread may register, revoke and create. Lookups hand out their own reference, and
// factories are called and released outside the lock, so a factory may itself create or
// register classes without deadlocking.
class ClassTable {
 public:
  DWORD Add(REFCLSID clsid, IUnknown* factory, DWORD clsContext, bool singleUse) {
    std::lock_guard lock(mutex_);
    const DWORD cookie = NextCookie();
    entries_.push_back({cookie, clsid, ComPtr<IUnknown>(factory), clsContext, singleUse});
    return cookie;
  }

  // Takes the registration out and returns its factory reference, so that the caller drops
  // it after the lock is released. Null when the cookie is unknown.
  ComPtr<IUnknown> Remove(DWORD cookie) {
    std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (it->cookie == cookie) {
        ComPtr<IUnknown> factory = std::move(it->factory);
        entries_.erase(it);
        return factory;
      }
    }
    return nullptr;
  }

  // The newest visible registration of clsid wins.
  ComPtr<IUnknown> Find(REFCLSID clsid) {
    std::lock_guard lock(mutex_);
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
      if (it->clsid != clsid || it->used) {
        continue;
      }
      if (it->singleUse) {
        it->used = true;
      }
      return it->factory;
    }
    return nullptr;
  }

 private:
  // Cookies are never 0 (callers keep 0 for "not registered") and never repeat a live one,
  // even after the counter wraps.
  DWORD NextCookie() {
    for (;;) {
      ++lastCookie_;
      if (lastCookie_ == 0) {
        continue;
      }
      bool inUse = false;
      for (const Registration& entry : entries_) {
        inUse = inUse || entry.cookie == lastCookie_;
      }
      if (!inUse) {
        return lastCookie_;
      }
    }
  }

  std::mutex mutex_;
  std::vector<Registration> entries_;  // in registration order
  DWORD lastCookie_ = 0;
};

// Never destroyed: static objects elsewhere may still revoke or create while the process
// exits.
ClassTable& Classes() {
  static ClassTable* table = new ClassTable;
  return *table;
}

// ---- factories over a creation function -----------------------------------------------------

std::atomic<ULONG> serverLocks{0};

class FunctionClassFactory final : public ComObject<IClassFactory> {
 public:
  // A factory does not keep the module alive by itself (see LockServer), so it takes itself
  // back out of the live-object count.
  explicit FunctionClassFactory(CreateObjectFn create) : create_(std::move(create)) {
    com_detail::CountObject(-1);
  }

  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) {
      return E_POINTER;
    }
    *ppv = nullptr;
    if (outer) {
      return CLASS_E_NOAGGREGATION;
    }
    if (!create_) {
      return CLASS_E_CLASSNOTAVAILABLE;
    }
    IUnknown* object = nullptr;
    try {
      object = create_();
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_FAIL;  // no exception may cross the interface boundary
    }
    if (!object) {
      return E_OUTOFMEMORY;
    }
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();  // the caller's reference is the query's; a refused query frees it
    return hr;
  }

  HRESULT LockServer(BOOL lock) override {
    if (lock) {
      ++serverLocks;
      return S_OK;
    }
    // An unlock without a lock would wrap the count and pin the module for good.
    ULONG held = serverLocks.load();
    do {
      if (held == 0) {
        return E_UNEXPECTED;
      }
    } while (!serverLocks.compare_exchange_weak(held, held - 1));
    return S_OK;
  }

 private:
  ~FunctionClassFactory() override { com_detail::CountObject(+1); }

  CreateObjectFn create_;
};

}  // namespace

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD clsContext, DWORD flags,
                              DWORD* cookie) {
  if (!cookie) {
    return E_POINTER;
  }
  *cookie = 0;
  if (!factory) {
    return E_INVALIDARG;
  }
  if (flags != REGCLS_SINGLEUSE && flags != REGCLS_MULTIPLEUSE) {
    return E_INVALIDARG;
  }
  try {
    *cookie = Classes().Add(clsid, factory, clsContext, flags == REGCLS_SINGLEUSE);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie) {
  ComPtr<IUnknown> factory = Classes().Remove(cookie);
  return factory ? S_OK : E_INVALIDARG;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsContext, REFIID riid,
                         void** ppv) {
  if (!ppv) {
    return E_POINTER;
  }
  *ppv = nullptr;
  if (outer) {
    return CLASS_E_NOAGGREGATION;
  }

  // Classes registered in this process come first (tests and fakes stand in for servers this
  // way); then the registry store names the module that serves the class.
  ComPtr<IUnknown> classObject = Classes().Find(clsid);
  if (!classObject) {
    const HRESULT hr = GetClassObjectFromStore(clsid, clsContext, &classObject);
    if (FAILED(hr)) {
      return hr;
    }
  }
  ComPtr<IClassFactory> factory;
  HRESULT hr = classObject.As(&factory);
  if (FAILED(hr)) {
    return hr;
  }
  hr = factory->CreateInstance(nullptr, riid, ppv);
  if (FAILED(hr)) {
    *ppv = nullptr;  // never hand a failed call's leftovers to the caller
    return hr;
  }
  // A factory that reports success without an object would send the caller to a null call.
  return *ppv ? hr : E_UNEXPECTED;
}

IClassFactory* NewClassFactory(CreateObjectFn create) {
  auto* factory = new FunctionClassFactory(std::move(create));
  factory->AddRef();
  return factory;
}

DWORD RegisterInProcessClass(REFCLSID clsid, CreateObjectFn create) {
  auto factory = ComPtr<IClassFactory>::Attach(NewClassFactory(std::move(create)));
  DWORD cookie = 0;
  const HRESULT hr = CoRegisterClassObject(clsid, factory.Get(), CLSCTX_INPROC_SERVER,
                                           REGCLS_MULTIPLEUSE, &cookie);
  return SUCCEEDED(hr) ? cookie : 0;
}

ULONG ComServerLocks() {
  return serverLocks.load();
}
