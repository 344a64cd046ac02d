#pragma once
// Base for in-process objects: an atomic reference count and QueryInterface over the listed
// interfaces. IID_IUnknown answers with the first interface.
//
//   class Simulated_link final : public ComObject<IVexa_link> { ... };
//   ComPtr<IVexa_link> link = MakeComObject<Simulated_link>();
#include <atomic>
#include <tuple>
#include <utility>

#include "platform/com/com_ptr.h"

// Counts live objects of the module, for DllCanUnloadNow.
ULONG ComObjectsAlive();

namespace com_detail {
void CountObject(int delta);
}

template <class... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject() { com_detail::CountObject(+1); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) {
      return E_POINTER;
    }
    *ppv = nullptr;
    if (riid == IID_IUnknown) {
      *ppv = static_cast<IUnknown*>(static_cast<First*>(this));
    } else {
      (TryInterface<Interfaces>(riid, ppv) || ...);
    }
    if (!*ppv) {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) {
      FinalRelease();
    }
    return left;
  }

 protected:
  virtual ~ComObject() { com_detail::CountObject(-1); }

  // The last reference is gone. An object whose threads may still be inside its code (an
  // event handler that released it) overrides this to delete itself once they are out.
  virtual void FinalRelease() { delete this; }

  // Lets a derived class answer for more interfaces (an interface's bases, for example).
  template <class I>
  bool TryInterface(REFIID riid, void** ppv) {
    if (riid != InterfaceId<I>::value) {
      return false;
    }
    *ppv = static_cast<I*>(this);
    return true;
  }

 private:
  using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;
  std::atomic<ULONG> refs_{0};
};

// Creates an object and returns it with one reference held by the ComPtr.
template <class T, class... Args>
ComPtr<T> MakeComObject(Args&&... args) {
  return ComPtr<T>(new T(std::forward<Args>(args)...));
}
