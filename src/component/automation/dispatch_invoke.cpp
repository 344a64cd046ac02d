#include "src/component/automation/dispatch_invoke.h"

#include <utility>
#include <vector>

#include "platform/text/ascii.h"

namespace ombrixdc {

namespace {

bool NameEquals(LPOLESTR name, std::string_view expected) {
  if (!name) {
    return false;
  }
  size_t i = 0;
  for (; name[i] != u'\0'; ++i) {
    if (i == expected.size()) {
      return false;
    }
    const char16_t e = static_cast<unsigned char>(AsciiLower(expected[i]));
    if (AsciiLower(name[i]) != e) {
      return false;
    }
  }
  return i == expected.size();
}

// Parameters a caller passes: all but the retval, which comes back as the result.
size_t ArgumentCount(const MemberDescription& member) {
  size_t count = 0;
  for (const ParamDescription& param : member.params) {
    count += param.direction != ParamDirection::OutRetval ? 1 : 0;
  }
  return count;
}

const MemberDescription* FindMember(const InterfaceDescription& iface, DISPID dispid,
                                    MemberKind kind) {
  for (const MemberDescription& member : iface.members) {
    if (member.dispid == dispid && member.kind == kind) {
      return &member;
    }
  }
  return nullptr;
}

const MemberDescription* ResolveMember(const InterfaceDescription& iface, DISPID dispid,
                                       WORD flags) {
  if (flags & DISPATCH_PROPERTYPUT) {
    return FindMember(iface, dispid, MemberKind::PropertyPut);
  }
  const MemberDescription* member = nullptr;
  if (flags & DISPATCH_METHOD) {
    member = FindMember(iface, dispid, MemberKind::Method);
  }
  if (!member && (flags & DISPATCH_PROPERTYGET)) {
    member = FindMember(iface, dispid, MemberKind::PropertyGet);
  }
  return member;
}

VARTYPE ScalarVartype(ValueType type) {
  switch (type) {
    case ValueType::Double:
      return VT_R8;
    case ValueType::Bstr:
      return VT_BSTR;
    case ValueType::DoubleArray:
      return VT_ARRAY | VT_R8;
    default:
      return VT_I4;  // long, int and the enumerations
  }
}

bool IsMissing(const VARIANT* arg) {
  return !arg || (arg->vt == VT_ERROR && arg->scode == DISP_E_PARAMNOTFOUND);
}

// Owns what the arguments of one call hold: coerced strings, queried interfaces and the
// outputs not yet handed to the caller.
class CallFrame {
 public:
  explicit CallFrame(size_t count) : args_(count) {}
  ~CallFrame() {
    for (ArgumentValue& arg : args_) {
      SysFreeString(arg.text);
      SafeArrayDestroy(arg.array);
      if (arg.object) {
        static_cast<IUnknown*>(arg.object)->Release();
      }
    }
  }
  CallFrame(const CallFrame&) = delete;
  CallFrame& operator=(const CallFrame&) = delete;
  ArgumentValue* Data() { return args_.data(); }
  ArgumentValue& operator[](size_t i) { return args_[i]; }

 private:
  std::vector<ArgumentValue> args_;
};

HRESULT ConvertInterface(const VARIANT& arg, const TypeRef& type, ArgumentValue* slot) {
  ComVariant value;
  HRESULT hr = VariantCopyInd(&value, &arg);
  if (FAILED(hr)) {
    return hr;
  }
  if (value.vt != VT_UNKNOWN && value.vt != VT_DISPATCH) {
    return DISP_E_TYPEMISMATCH;
  }
  if (!value.punkVal) {
    return S_OK;  // the absent object
  }
  hr = value.punkVal->QueryInterface(*type.iid, &slot->object);
  return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

HRESULT ConvertIn(const VARIANT& arg, const TypeRef& type, ArgumentValue* slot) {
  if (type.type == ValueType::Interface) {
    return ConvertInterface(arg, type, slot);
  }
  if (type.type == ValueType::DoubleArray) {
    return DISP_E_TYPEMISMATCH;  // no member takes an array in
  }
  ComVariant value;
  const HRESULT hr = VariantChangeType(&value, &arg, 0, ScalarVartype(type.type));
  if (FAILED(hr)) {
    return hr;
  }
  if (type.type == ValueType::Double) {
    slot->real = value.dblVal;
  } else if (type.type == ValueType::Bstr) {
    slot->text = value.bstrVal;
    value.vt = VT_EMPTY;  // the frame owns it now
  } else {
    slot->integer = value.lVal;
  }
  return S_OK;
}

// An output goes into a reference to its own type (VT_INT passes for a 32-bit integer) or
// into a referenced VARIANT. A typed reference starts the output at the caller's value, so
// an output the member leaves alone stays as it was.
HRESULT PrepareOut(const VARIANT& arg, const TypeRef& type, ArgumentValue* slot) {
  if (arg.vt == (VT_BYREF | VT_VARIANT)) {
    return arg.pvarVal ? S_OK : DISP_E_TYPEMISMATCH;
  }
  const VARTYPE expected = ScalarVartype(type.type);
  const VARTYPE given = arg.vt & ~VT_BYREF;
  const bool matches = given == expected || (expected == VT_I4 && given == VT_INT);
  if (!(arg.vt & VT_BYREF) || !matches || !arg.byref) {
    return DISP_E_TYPEMISMATCH;
  }
  if (expected == VT_R8) {
    slot->real = *arg.pdblVal;
  } else if (expected == VT_I4) {
    slot->integer = *arg.plVal;
  }
  return S_OK;
}

// Moves an output into a VARIANT that is empty.
void MoveInto(VARIANT* target, const TypeRef& type, ArgumentValue& slot) {
  switch (ScalarVartype(type.type)) {
    case VT_R8:
      target->vt = VT_R8;
      target->dblVal = slot.real;
      break;
    case VT_BSTR:
      target->vt = VT_BSTR;
      target->bstrVal = std::exchange(slot.text, nullptr);
      break;
    case VT_ARRAY | VT_R8:
      if (slot.array) {
        target->vt = VT_ARRAY | VT_R8;
        target->parray = std::exchange(slot.array, nullptr);
      }
      break;
    default:
      target->vt = VT_I4;
      target->lVal = slot.integer;
      break;
  }
}

// [out] semantics: what a typed reference held before is the caller's to have freed.
void WriteOut(VARIANT& arg, const TypeRef& type, ArgumentValue& slot) {
  if (arg.vt == (VT_BYREF | VT_VARIANT)) {
    VariantClear(arg.pvarVal);
    MoveInto(arg.pvarVal, type, slot);
    return;
  }
  switch (ScalarVartype(type.type)) {
    case VT_R8:
      *arg.pdblVal = slot.real;
      break;
    case VT_BSTR:
      *arg.pbstrVal = std::exchange(slot.text, nullptr);
      break;
    case VT_ARRAY | VT_R8:
      *arg.pparray = std::exchange(slot.array, nullptr);
      break;
    default:
      *arg.plVal = slot.integer;
      break;
  }
}

// Which rgvarg entry (by index) feeds each argument parameter; -1 when none does.
HRESULT MapArguments(const DISPPARAMS& params, const MemberDescription& member, size_t count,
                     std::vector<int>* source, UINT* argErr) {
  const UINT positional = params.cArgs - params.cNamedArgs;
  if (positional > count) {
    return DISP_E_BADPARAMCOUNT;
  }
  source->assign(count, -1);
  for (UINT i = 0; i < positional; ++i) {
    (*source)[i] = static_cast<int>(params.cArgs - 1 - i);
  }
  for (UINT j = 0; j < params.cNamedArgs; ++j) {
    const DISPID id = params.rgdispidNamedArgs ? params.rgdispidNamedArgs[j] : DISPID_UNKNOWN;
    size_t position = count;
    if (id == DISPID_PROPERTYPUT && member.kind == MemberKind::PropertyPut && count > 0) {
      position = count - 1;
    } else if (id >= 0 && static_cast<size_t>(id) < count &&
               member.kind != MemberKind::PropertyPut) {
      position = static_cast<size_t>(id);
    }
    if (position == count || (*source)[position] != -1) {
      if (argErr) {
        *argErr = j;
      }
      return DISP_E_PARAMNOTFOUND;
    }
    (*source)[position] = static_cast<int>(j);
  }
  return S_OK;
}

HRESULT ReportException(HRESULT hr, EXCEPINFO* excepInfo) {
  if (excepInfo) {
    *excepInfo = EXCEPINFO{};
    excepInfo->scode = hr;
  }
  return DISP_E_EXCEPTION;
}

}  // namespace

HRESULT DescribedGetIDsOfNames(const InterfaceDescription& iface, REFIID riid, LPOLESTR* rgszNames,
                               UINT cNames, DISPID* rgDispId) {
  if (riid != IID_NULL) {
    return DISP_E_UNKNOWNINTERFACE;
  }
  if (cNames == 0) {
    return S_OK;
  }
  if (!rgszNames || !rgDispId) {
    return E_INVALIDARG;
  }
  for (UINT i = 0; i < cNames; ++i) {
    rgDispId[i] = DISPID_UNKNOWN;
  }
  for (const MemberDescription& member : iface.members) {
    if (NameEquals(rgszNames[0], member.name)) {
      rgDispId[0] = member.dispid;
      break;
    }
  }
  if (rgDispId[0] == DISPID_UNKNOWN) {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT hr = S_OK;
  for (UINT i = 1; i < cNames; ++i) {
    // Parameter names of any member under that DISPID (the get and the put share it).
    for (const MemberDescription& member : iface.members) {
      if (member.dispid != rgDispId[0] || rgDispId[i] != DISPID_UNKNOWN) {
        continue;
      }
      for (size_t p = 0; p < member.params.size(); ++p) {
        const ParamDescription& param = member.params[p];
        if (param.direction != ParamDirection::OutRetval && NameEquals(rgszNames[i], param.name)) {
          rgDispId[i] = static_cast<DISPID>(p);
        }
      }
    }
    if (rgDispId[i] == DISPID_UNKNOWN) {
      hr = DISP_E_UNKNOWNNAME;
    }
  }
  return hr;
}

HRESULT DescribedInvoke(IVexa_CircleDC& object, const InterfaceDescription& iface, DISPID dispid,
                        REFIID riid, LCID /*lcid*/, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) {
  if (riid != IID_NULL) {
    return DISP_E_UNKNOWNINTERFACE;
  }
  const MemberDescription* member = ResolveMember(iface, dispid, wFlags);
  if (!member || !member->call) {
    return DISP_E_MEMBERNOTFOUND;
  }
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  const DISPPARAMS& params = pDispParams ? *pDispParams : none;
  if (params.cNamedArgs > params.cArgs || (params.cArgs > 0 && !params.rgvarg)) {
    return E_INVALIDARG;
  }

  const size_t count = ArgumentCount(*member);
  std::vector<int> source;
  HRESULT hr = MapArguments(params, *member, count, &source, puArgErr);
  if (FAILED(hr)) {
    return hr;
  }

  CallFrame frame(member->params.size());
  for (size_t p = 0; p < count; ++p) {
    const ParamDescription& param = member->params[p];
    VARIANT* arg = source[p] >= 0 ? &params.rgvarg[source[p]] : nullptr;
    if (IsMissing(arg)) {
      if (param.optional) {
        continue;  // 0, or the absent string
      }
      if (!arg) {
        return DISP_E_BADPARAMCOUNT;
      }
      if (puArgErr) {
        *puArgErr = static_cast<UINT>(source[p]);
      }
      return DISP_E_PARAMNOTOPTIONAL;
    }
    hr = param.direction == ParamDirection::In ? ConvertIn(*arg, param.type, &frame[p])
                                               : PrepareOut(*arg, param.type, &frame[p]);
    if (FAILED(hr)) {
      if (puArgErr) {
        *puArgErr = static_cast<UINT>(source[p]);
      }
      return hr;
    }
  }

  hr = member->call(object, frame.Data());
  if (FAILED(hr)) {
    return ReportException(hr, pExcepInfo);
  }
  for (size_t p = 0; p < member->params.size(); ++p) {
    const ParamDescription& param = member->params[p];
    if (param.direction == ParamDirection::Out) {
      WriteOut(params.rgvarg[source[p]], param.type, frame[p]);
    } else if (param.direction == ParamDirection::OutRetval && pVarResult) {
      VariantInit(pVarResult);
      MoveInto(pVarResult, param.type, frame[p]);
    }
  }
  return hr;
}

}  // namespace ombrixdc
