#include "src/component/automation/idl_writer.h"

#include <cstdio>

namespace ombrixdc {

namespace {

constexpr const char* kIndent = "    ";

// Identifiers are written without braces in IDL attributes.
std::string Uuid(const GUID& guid) {
  const std::string text = FormatGuid(guid);
  return text.substr(1, text.size() - 2);
}

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted.append(text).push_back('"');
  return quoted;
}

std::string TypeText(const TypeRef& type) {
  switch (type.type) {
    case ValueType::Double:
      return "double";
    case ValueType::Long:
      return "long";
    case ValueType::Int:
      return "int";
    case ValueType::Bstr:
      return "BSTR";
    case ValueType::DoubleArray:
      return "SAFEARRAY(double)";
    case ValueType::Enumeration:
      return std::string(type.name);
    case ValueType::Interface:
      return std::string(type.name) + "*";
  }
  return "";
}

std::string ParamText(const ParamDescription& param) {
  switch (param.direction) {
    case ParamDirection::In:
      return (param.optional ? "[in, optional] " : "[in] ") + TypeText(param.type) + " " +
             std::string(param.name);
    case ParamDirection::Out:
      return "[out] " + TypeText(param.type) + "* " + std::string(param.name);
    case ParamDirection::OutRetval:
      return "[out, retval] " + TypeText(param.type) + "* " + std::string(param.name);
  }
  return "";
}

std::string MemberText(const MemberDescription& member) {
  std::string text = kIndent;
  text += kIndent;
  text += "[";
  if (member.kind == MemberKind::PropertyGet) {
    text += "propget, ";
  }
  if (member.kind == MemberKind::PropertyPut) {
    text += "propput, ";
  }
  text += "id(" + std::to_string(member.dispid) + "), helpstring(" + Quoted(member.helpString) +
          ")] HRESULT " + std::string(member.name) + "(";
  for (size_t i = 0; i < member.params.size(); ++i) {
    text += (i ? ", " : "") + ParamText(member.params[i]);
  }
  return text + ");\n";
}

std::string EnumText(const EnumDescription& e) {
  std::string text = std::string(kIndent) + "typedef enum " + std::string(e.name) + " {\n";
  for (size_t i = 0; i < e.enumerators.size(); ++i) {
    text += std::string(kIndent) + kIndent + std::string(e.enumerators[i]) + " = " +
            std::to_string(i) + (i + 1 < e.enumerators.size() ? ",\n" : "\n");
  }
  return text + kIndent + "} " + std::string(e.name) + ";\n\n";
}

// An attribute block: "[\n    a,\n    b\n]\n" at the library's inner indentation.
std::string Attributes(std::initializer_list<std::string> attributes, const char* indent) {
  std::string text = std::string(indent) + "[\n";
  size_t i = 0;
  for (const std::string& attribute : attributes) {
    text += std::string(indent) + kIndent + attribute + (++i < attributes.size() ? ",\n" : "\n");
  }
  return text + indent + "]\n";
}

std::string HexLcid(LCID lcid) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(lcid));
  return text;
}

}  // namespace

std::string FormatIdl(const TypeLibraryDescription& library) {
  const InterfaceDescription& dual = library.automation;
  const InterfaceDescription& events = library.events;
  std::string text = "import \"oaidl.idl\";\nimport \"ocidl.idl\";\n\n";
  text += Attributes(
      {"uuid(" + Uuid(library.libid) + ")",
       "version(" + std::to_string(library.majorVersion) + "." +
           std::to_string(library.minorVersion) + ")",
       "lcid(" + HexLcid(library.lcid) + ")", "helpstring(" + Quoted(library.helpString) + ")"},
      "");
  text += "library " + std::string(library.name) + "\n{\n";
  text += std::string(kIndent) + "importlib(\"stdole2.tlb\");\n\n";
  text += std::string(kIndent) + "// Interfaces of the controller's type library.\n";
  for (const ExternalInterface& external : library.externals) {
    text += std::string(kIndent) + "interface " + std::string(external.name) + ";  // " +
            Uuid(external.iid) + "\n";
  }
  text += "\n";
  for (const EnumDescription& e : library.enumerations) {
    text += EnumText(e);
  }

  text += Attributes({"object", "uuid(" + Uuid(dual.iid) + ")", "dual", "oleautomation",
                      "helpstring(" + Quoted(dual.helpString) + ")", "pointer_default(unique)"},
                     kIndent);
  text += std::string(kIndent) + "interface " + std::string(dual.name) + " : IDispatch\n" +
          kIndent + "{\n";
  for (const MemberDescription& member : dual.members) {
    text += MemberText(member);
  }
  text += std::string(kIndent) + "};\n\n";

  text += Attributes(
      {"uuid(" + Uuid(events.iid) + ")", "helpstring(" + Quoted(events.helpString) + ")"}, kIndent);
  text += std::string(kIndent) + "dispinterface " + std::string(events.name) + "\n" + kIndent +
          "{\n" + kIndent + "properties:\n" + kIndent + "methods:\n";
  for (const MemberDescription& member : events.members) {
    text += MemberText(member);
  }
  text += std::string(kIndent) + "};\n\n";

  const CoclassDescription& coclass = library.coclass;
  text += Attributes(
      {"uuid(" + Uuid(coclass.clsid) + ")", "helpstring(" + Quoted(coclass.helpString) + ")"},
      kIndent);
  text += std::string(kIndent) + "coclass " + std::string(coclass.name) + "\n" + kIndent + "{\n";
  text += std::string(kIndent) + kIndent + "[default] interface " + std::string(dual.name) + ";\n";
  text += std::string(kIndent) + kIndent + "[default, source] dispinterface " +
          std::string(events.name) + ";\n";
  text += std::string(kIndent) + "};\n};\n";
  return text;
}

}  // namespace ombrixdc
