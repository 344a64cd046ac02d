#include "platform/com/type_library_registration.h"

#include <cstdio>
#include <filesystem>

namespace {

// The platform's standard marshallers for automation interfaces.
constexpr std::string_view kDispatchMarshaller = "{00020420-0000-0000-C000-000000000046}";
constexpr std::string_view kDualMarshaller = "{00020424-0000-0000-C000-000000000046}";

std::string VersionText(const TypeLibraryRecord& library) {
  return std::to_string(library.majorVersion) + "." + std::to_string(library.minorVersion);
}

std::string LibraryKey(const TypeLibraryRecord& library) {
  return "TypeLib\\" + FormatGuid(library.libid);
}

std::string InterfaceKey(const TypeLibraryInterface& entry) {
  return "Interface\\" + FormatGuid(entry.iid);
}

std::string HexLcid(LCID lcid) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(lcid));
  return text;
}

}  // namespace

void RecordTypeLibrary(ClassesRoot& root, const TypeLibraryRecord& library,
                       std::string_view modulePath) {
  const std::string version = LibraryKey(library) + "\\" + VersionText(library);
  root.SetValue(version, {}, library.helpString);
  root.SetValue(version + "\\FLAGS", {}, "0");
  root.SetValue(version + "\\" + HexLcid(library.lcid) + "\\win64", {}, modulePath);
  root.SetValue(version + "\\HELPDIR", {},
                std::filesystem::path(modulePath).parent_path().string());
  for (const TypeLibraryInterface& entry : library.interfaces) {
    const std::string key = InterfaceKey(entry);
    const std::string_view marshaller = entry.dispinterface ? kDispatchMarshaller : kDualMarshaller;
    root.SetValue(key, {}, entry.name);
    root.SetValue(key + "\\ProxyStubClsid", {}, marshaller);
    root.SetValue(key + "\\ProxyStubClsid32", {}, marshaller);
    root.SetValue(key + "\\TypeLib", {}, FormatGuid(library.libid));
    root.SetValue(key + "\\TypeLib", "Version", VersionText(library));
  }
}

void EraseTypeLibrary(ClassesRoot& root, const TypeLibraryRecord& library) {
  root.DeleteTree(LibraryKey(library) + "\\" + VersionText(library));
  if (root.Subkeys(LibraryKey(library)).empty()) {
    root.DeleteTree(LibraryKey(library));
  }
  for (const TypeLibraryInterface& entry : library.interfaces) {
    const std::string key = InterfaceKey(entry);
    // An interface key that another library has since claimed is left to that library.
    if (root.Value(key + "\\TypeLib") == FormatGuid(library.libid)) {
      root.DeleteTree(key);
    }
  }
}
