#pragma once
// The connection point of a dispatch event interface, embedded in the object that fires the
// events. It shares the object's lifetime: AddRef and Release go to the object, so a client
// holding the connection point keeps the object alive, and the object's destruction
// releases every sink still connected.
#include <mutex>
#include <vector>

#include "platform/com/connection_enumerators.h"
#include "platform/com/dispatch.h"

class EventConnectionPoint final : public IConnectionPoint {
 public:
  EventConnectionPoint(IConnectionPointContainer* owner, const IID& eventInterface)
      : owner_(owner), eventInterface_(eventInterface) {}
  ~EventConnectionPoint() = default;
  EventConnectionPoint(const EventConnectionPoint&) = delete;
  EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override { return owner_->AddRef(); }
  ULONG Release() override { return owner_->Release(); }

  HRESULT GetConnectionInterface(IID* pIID) override;
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
  // Takes a sink that answers the event interface or IDispatch (CONNECT_E_CANNOTCONNECT
  // otherwise) and keeps a reference to it until Unadvise. Cookies start at 1.
  HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
  // CONNECT_E_NOCONNECTION for a cookie that is not connected.
  HRESULT Unadvise(DWORD dwCookie) override;
  HRESULT EnumConnections(IEnumConnections** ppEnum) override;

  // Calls Invoke(dispid) with the method flag and the user-default locale on each connected
  // sink, in connection order, synchronously on the calling thread. `args` are in their
  // natural order. A sink without a dispatch interface is skipped; results are ignored.
  void FireEvent(DISPID dispid, const VARIANT* args, UINT count) const;
  // Disconnects every sink (the object's owner has let go of it).
  void UnadviseAll();

 private:
  std::vector<ConnectionEntry> Snapshot() const;
  bool Connected(DWORD cookie) const;

  IConnectionPointContainer* const owner_;
  const IID eventInterface_;
  mutable std::mutex mutex_;
  std::vector<ConnectionEntry> connections_;
  DWORD nextCookie_ = 1;
};
