#pragma once
// The root interface of every object: reference counting and interface queries.
#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/com/types.h"

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;  // objects are destroyed by Release, never through the interface
};

// Maps an interface type to its identifier: OMBRIXDC_INTERFACE_ID(IVexa_link, IID_IVexa_link)
// after the interface's declaration.
template <class Interface>
struct InterfaceId;

#define OMBRIXDC_INTERFACE_ID(Interface, iid) \
  template <>                                 \
  struct InterfaceId<Interface> {             \
    static constexpr const IID& value = iid;  \
  }

OMBRIXDC_INTERFACE_ID(IUnknown, IID_IUnknown);
