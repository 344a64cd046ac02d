#pragma once
// The one description of the component's type library: library identity, enumerations, the
// dual interface IVexa_CircleDC member by member (DISPID, kind, parameters with types and
// directions, help string, and the call into the interface's function table), the event
// interface and the class. GetIDsOfNames, Invoke, registration and the IDL listing all read
// it.
#include <span>
#include <string_view>

#include "src/component/automation/public_interface.h"

namespace ombrixdc {

enum class MemberKind { Method, PropertyGet, PropertyPut };
enum class ParamDirection { In, Out, OutRetval };
enum class ValueType { Double, Long, Int, Bstr, DoubleArray, Enumeration, Interface };

struct TypeRef {
  ValueType type;
  std::string_view name = {};  // the enumeration or interface
  const IID* iid = nullptr;    // the interface
};

struct ParamDescription {
  std::string_view name;
  TypeRef type;
  ParamDirection direction = ParamDirection::In;
  bool optional = false;  // a missing argument is 0, or the absent string
};

// One argument of a call, converted to its parameter's type, or the slot an output goes to.
struct ArgumentValue {
  double real = 0.0;
  LONG integer = 0;
  BSTR text = nullptr;
  SAFEARRAY* array = nullptr;
  void* object = nullptr;  // an interface pointer of the parameter's interface
};

// Calls the member through the interface's function table with args[i] for parameter i.
using MemberCall = HRESULT (*)(IVexa_CircleDC& object, ArgumentValue* args);

struct MemberDescription {
  DISPID dispid;
  MemberKind kind;
  std::string_view name;
  std::string_view helpString;
  std::span<const ParamDescription> params;
  MemberCall call = nullptr;  // null for the events, which clients implement
};

// Enumerators take the values 0, 1, 2, ... in order.
struct EnumDescription {
  std::string_view name;
  std::span<const std::string_view> enumerators;
};

struct InterfaceDescription {
  std::string_view name;
  IID iid;
  std::string_view helpString;
  bool dispinterface;  // pure dispatch (the events), else dual
  std::span<const MemberDescription> members;
};

// An interface of another library that a parameter refers to.
struct ExternalInterface {
  std::string_view name;
  IID iid;
};

struct CoclassDescription {
  std::string_view name;
  CLSID clsid;
  std::string_view helpString;
};

struct TypeLibraryDescription {
  std::string_view name;
  std::string_view helpString;
  GUID libid;
  WORD majorVersion;
  WORD minorVersion;
  LCID lcid;
  std::span<const EnumDescription> enumerations;
  std::span<const ExternalInterface> externals;
  InterfaceDescription automation;
  InterfaceDescription events;
  CoclassDescription coclass;
};

const TypeLibraryDescription& CircleDCTypeLibrary();

}  // namespace ombrixdc
