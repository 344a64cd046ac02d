#pragma once
// In-process server modules: shared libraries loaded by path and kept loaded for the rest of
// the process (objects handed out by a module may live anywhere in the process, so it is
// never unloaded under them).
#include <string>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

using DllEntryFunction = HRESULT (*)();

// Loads the module (once per path) and returns its handle. CO_E_DLLNOTFOUND when it cannot be
// loaded; `error` then says why.
HRESULT LoadServerModule(const std::string& path, void** handle, std::string* error = nullptr);
// The exported function `name` of a loaded module, or null.
void* FindModuleExport(void* handle, const char* name);
// Loads the module and calls an entry point without arguments (DllRegisterServer, ...).
// CO_E_ERRORINDLL when the module does not export it.
HRESULT CallModuleEntry(const std::string& path, const char* name, std::string* error = nullptr);
// The full path of the loaded file (executable or shared library) that holds `address`;
// empty when it cannot be told.
std::string ModuleFileOf(const void* address);
