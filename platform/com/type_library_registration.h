#pragma once
// Registration of a type library embedded in a server module, in the platform's layout:
//   TypeLib\{libid}\<major.minor>            = help string
//   TypeLib\{libid}\<major.minor>\FLAGS      = "0"
//   TypeLib\{libid}\<major.minor>\<lcid>\win64 = module path   (lcid in hex)
//   TypeLib\{libid}\<major.minor>\HELPDIR    = module folder
//   Interface\{iid}                          = interface name, with ProxyStubClsid32 and
//                                              TypeLib (Version) subkeys
#include <span>
#include <string>
#include <string_view>

#include "platform/com/classes_root.h"
#include "platform/com/guid.h"
#include "platform/com/types.h"

struct TypeLibraryInterface {
  IID iid;
  std::string_view name;
  bool dispinterface;  // a pure dispatch interface, else a dual one
};

struct TypeLibraryRecord {
  GUID libid;
  WORD majorVersion;
  WORD minorVersion;
  LCID lcid;
  std::string_view helpString;
  std::span<const TypeLibraryInterface> interfaces;
};

void RecordTypeLibrary(ClassesRoot& root, const TypeLibraryRecord& library,
                       std::string_view modulePath);
// Removes this version's entries, the library key when no other version is left, and the
// interface keys that point at this library.
void EraseTypeLibrary(ClassesRoot& root, const TypeLibraryRecord& library);
