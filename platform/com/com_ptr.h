#pragma once
// Owning smart pointer for interface pointers: AddRef on copy, Release on destruction.
#include <type_traits>
#include <utility>

#include "platform/com/unknown.h"

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  ComPtr(T* p) : p_(p) {  // NOLINT: implicit like the platform's smart pointers
    if (p_) {
      p_->AddRef();
    }
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  // Widens to an interface the object derives from:
  // ComPtr<IVexa_link> link = MakeComObject<Simulated_link>();
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.Get())) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(ComPtr<U>&& other) noexcept : p_(other.Detach()) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Takes over a reference the caller already holds (no AddRef).
  static ComPtr Attach(T* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }
  T* Detach() { return std::exchange(p_, nullptr); }
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) {
      p->Release();
    }
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Releases what is held and returns the slot for an out-parameter.
  T** ReleaseAndGetAddressOf() {
    Reset();
    return &p_;
  }
  void** ReleaseAndGetVoidAddressOf() { return reinterpret_cast<void**>(ReleaseAndGetAddressOf()); }

  // QueryInterface for another interface of the same object.
  template <class U>
  HRESULT As(ComPtr<U>* out) const {
    if (!p_) {
      return E_POINTER;
    }
    return p_->QueryInterface(InterfaceId<U>::value, out->ReleaseAndGetVoidAddressOf());
  }

 private:
  T* p_ = nullptr;
};
