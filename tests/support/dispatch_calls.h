#pragma once
// Calls an automation client makes through IDispatch: members by name, properties put, and the
// stub a client's event sink starts from.
#include <string>
#include <utility>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/object.h"
#include "tests/support/variant_values.h"

inline DISPID IdOf(IDispatch* object, const char* name) {
  ComBstr text(name);
  LPOLESTR names[] = {text.Get()};
  DISPID id = DISPID_UNKNOWN;
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

// Calls a member by name with the arguments in their natural order; they are passed last
// first, as the platform passes them. A put names its value DISPID_PROPERTYPUT.
inline HRESULT CallByName(IDispatch* object, const char* name, WORD flags,
                          std::vector<VARIANT> args, VARIANT* result = nullptr) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID putId = DISPID_PROPERTYPUT;
  const bool put = flags == DISPATCH_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), put ? &putId : nullptr, static_cast<UINT>(reversed.size()),
                    put ? 1u : 0u};
  return object->Invoke(IdOf(object, name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                        nullptr, nullptr);
}

inline HRESULT PutByName(IDispatch* object, const char* name, VARIANT value) {
  return CallByName(object, name, DISPATCH_PROPERTYPUT, {value});
}

inline HRESULT PutTextByName(IDispatch* object, const char* name, const std::string& text) {
  ComVariant value;
  static_cast<VARIANT&>(value) = Text(text);
  return PutByName(object, name, value);
}

// What a client does before a run, all through Invoke: InitialiseObject on `link` (the
// component makes its own axis position and status object), the properties `puts` in order
// (cleared afterwards), GetStartPosition into `start` and zero probe offsets. Returns
// GetStartPosition's success.
inline LONG PrepareThroughInvoke(IDispatch* o, IUnknown* link,
                                 std::vector<std::pair<const char*, VARIANT>> puts,
                                 double (&start)[3]) {
  CallByName(o, "InitialiseObject", DISPATCH_METHOD, {Unknown(link), Unknown()});
  for (auto& [name, value] : puts) {
    PutByName(o, name, value);
    VariantClear(&value);
  }
  ComVariant success;
  CallByName(o, "GetStartPosition", DISPATCH_METHOD,
             {Ref(VT_R8, &start[0]), Ref(VT_R8, &start[1]), Ref(VT_R8, &start[2])}, &success);
  CallByName(o, "EnterProbeOffsets", DISPATCH_METHOD, {Real(0), Real(0), Real(0)});
  return success.lVal;
}

// What an event sink needs of a dispatch interface besides Invoke: nothing.
template <class Interface>
class SinkStub : public ComObject<Interface> {
 public:
  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};
