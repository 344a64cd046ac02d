#include "platform/com/event_connection_point.h"

#include <algorithm>

HRESULT EventConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) {
    return E_POINTER;
  }
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != IID_IConnectionPoint) {
    return E_NOINTERFACE;
  }
  *ppv = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionInterface(IID* pIID) {
  if (!pIID) {
    return E_POINTER;
  }
  *pIID = eventInterface_;
  return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  if (!ppCPC) {
    return E_POINTER;
  }
  owner_->AddRef();
  *ppCPC = owner_;
  return S_OK;
}

HRESULT EventConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
  if (!pdwCookie) {
    return E_POINTER;
  }
  *pdwCookie = 0;
  if (!pUnkSink) {
    return E_POINTER;
  }
  ComPtr<IUnknown> probe;
  if (FAILED(pUnkSink->QueryInterface(eventInterface_, probe.ReleaseAndGetVoidAddressOf())) &&
      FAILED(pUnkSink->QueryInterface(IID_IDispatch, probe.ReleaseAndGetVoidAddressOf()))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  std::lock_guard lock(mutex_);
  // Cookie 0 means "not connected" to clients, so the counter skips it when it wraps.
  if (nextCookie_ == 0) {
    nextCookie_ = 1;
  }
  const DWORD cookie = nextCookie_++;
  connections_.push_back({ComPtr<IUnknown>(pUnkSink), cookie});
  *pdwCookie = cookie;
  return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD dwCookie) {
  ComPtr<IUnknown> released;  // dropped after the lock: a sink's Release may call back
  {
    std::lock_guard lock(mutex_);
    const auto it =
        std::find_if(connections_.begin(), connections_.end(),
                     [dwCookie](const ConnectionEntry& c) { return c.cookie == dwCookie; });
    if (it == connections_.end()) {
      return CONNECT_E_NOCONNECTION;
    }
    released = std::move(it->sink);
    connections_.erase(it);
  }
  return S_OK;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** ppEnum) {
  if (!ppEnum) {
    return E_POINTER;
  }
  *ppEnum = NewConnectionsEnumerator(Snapshot());
  return S_OK;
}

void EventConnectionPoint::UnadviseAll() {
  std::vector<ConnectionEntry> released;  // dropped after the lock: a sink's Release may call back
  {
    std::lock_guard lock(mutex_);
    released.swap(connections_);
  }
}

bool EventConnectionPoint::Connected(DWORD cookie) const {
  std::lock_guard lock(mutex_);
  return std::any_of(connections_.begin(), connections_.end(),
                     [cookie](const ConnectionEntry& c) { return c.cookie == cookie; });
}

std::vector<ConnectionEntry> EventConnectionPoint::Snapshot() const {
  std::lock_guard lock(mutex_);
  return connections_;
}

void EventConnectionPoint::FireEvent(DISPID dispid, const VARIANT* args, UINT count) const {
  // The platform passes arguments last first.
  std::vector<VARIANT> reversed(args, args + count);
  std::reverse(reversed.begin(), reversed.end());
  for (const ConnectionEntry& connection : Snapshot()) {
    ComPtr<IDispatch> sink;
    // A sink disconnected while the event goes round (by an earlier sink's handler, or with
    // the object's last release) hears no more of it.
    if (!Connected(connection.cookie) || FAILED(connection.sink.As(&sink)) || !sink) {
      continue;
    }
    DISPPARAMS params{reversed.data(), nullptr, count, 0};
    ComVariant result;
    sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                 nullptr);
  }
}
