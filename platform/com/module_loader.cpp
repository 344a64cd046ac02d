#include "platform/com/module_loader.h"

#include <dlfcn.h>

#include <filesystem>
#include <map>
#include <mutex>

namespace {

std::mutex modulesMutex;
// Handles by the path they were loaded from. Never closed (see the header).
std::map<std::string, void*>& LoadedModules() {
  static auto* modules = new std::map<std::string, void*>;
  return *modules;
}

}  // namespace

HRESULT LoadServerModule(const std::string& path, void** handle, std::string* error) {
  if (!handle) {
    return E_POINTER;
  }
  *handle = nullptr;
  std::lock_guard lock(modulesMutex);
  auto& modules = LoadedModules();
  if (const auto it = modules.find(path); it != modules.end()) {
    *handle = it->second;
    return S_OK;
  }
  // A module keeps its own symbols to itself: two servers may both define DllGetClassObject.
  void* loaded = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!loaded) {
    if (error) {
      const char* reason = dlerror();
      *error = reason ? reason : "cannot load " + path;
    }
    return CO_E_DLLNOTFOUND;
  }
  modules.emplace(path, loaded);
  *handle = loaded;
  return S_OK;
}

void* FindModuleExport(void* handle, const char* name) {
  return handle ? dlsym(handle, name) : nullptr;
}

HRESULT CallModuleEntry(const std::string& path, const char* name, std::string* error) {
  void* handle = nullptr;
  const HRESULT hr = LoadServerModule(path, &handle, error);
  if (FAILED(hr)) {
    return hr;
  }
  auto entry = reinterpret_cast<DllEntryFunction>(FindModuleExport(handle, name));
  if (!entry) {
    if (error) {
      *error = path + " does not export " + name;
    }
    return CO_E_ERRORINDLL;
  }
  return entry();
}

std::string ModuleFileOf(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info) || !info.dli_fname || !*info.dli_fname) {
    return {};
  }
  std::error_code error;
  const std::filesystem::path file = std::filesystem::canonical(info.dli_fname, error);
  return error ? std::filesystem::absolute(info.dli_fname, error).string() : file.string();
}
