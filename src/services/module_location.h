#pragma once
// Where the component's module file is, for files installed beside it (the viewer's logo).
// The registered path comes first: the default value of the component's class key's
// InprocServer32 entry under the classes root, as registration writes it.
#include <cstddef>
#include <optional>
#include <string>

namespace ombrixdc {

// The registered module path; nullopt when the class is not registered or the store cannot
// be read.
[[nodiscard]] std::optional<std::string> RegisteredModulePath();

// Copies the module path with its terminator into `buffer`: the registered path, or while
// nothing is registered, the file of the loaded module that holds this code. False, and the
// buffer left untouched, when no path is known or the path and its terminator do not fit.
[[nodiscard]] bool ReadModuleLocation(char* buffer, size_t bufferSize);

}  // namespace ombrixdc
