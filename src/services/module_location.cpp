#include "src/services/module_location.h"

#include <cstring>

#include "include/CoVexa_OmbrixDC.h"
#include "platform/com/module_loader.h"
#include "platform/com/registry_store.h"

namespace ombrixdc {

namespace {
// Any object of this module serves to find the module's own file.
const char kModuleAnchor = 0;
}  // namespace

std::optional<std::string> RegisteredModulePath() {
  ClassesRoot root;
  if (FAILED(ReadClassesRoot(&root))) {
    return std::nullopt;
  }
  return root.Value("CLSID\\" + FormatGuid(CLSID_Vexa_CircleDC) + "\\InprocServer32");
}

bool ReadModuleLocation(char* buffer, size_t bufferSize) {
  std::optional<std::string> path = RegisteredModulePath();
  if (!path) {
    path = ModuleFileOf(&kModuleAnchor);
    if (path->empty()) {
      return false;
    }
  }
  if (!buffer || path->size() + 1 > bufferSize) {
    return false;
  }
  std::memcpy(buffer, path->c_str(), path->size() + 1);
  return true;
}

}  // namespace ombrixdc
