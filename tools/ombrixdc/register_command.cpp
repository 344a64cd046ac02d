#include "tools/ombrixdc/register_command.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/com/classes_root.h"
#include "platform/com/module_loader.h"
#include "platform/com/registry_store.h"

namespace fs = std::filesystem;

namespace {

// The component's module and the simulated controller's: where the install puts them
// (lib/<triplet> and lib/<triplet>/ombrixdc), else in the build tree's lib folder.
std::vector<std::string> DefaultModules() {
  std::error_code error;
  const fs::path bin = fs::read_symlink("/proc/self/exe", error).parent_path();
  constexpr const char* kComponent = "libombrixdc.so.0";
  constexpr const char* kSimulator = "ombrixdc-simulated-controller.so";
  const fs::path lib = (bin / OMBRIXDC_BIN_TO_LIB).lexically_normal();
  if (fs::exists(lib / kComponent, error)) {
    return {(lib / kComponent).string(),
            (bin / OMBRIXDC_BIN_TO_MODULES / kSimulator).lexically_normal().string()};
  }
  const fs::path build = bin.parent_path() / "lib";
  return {(build / kComponent).string(), (build / kSimulator).string()};
}

// Why the registry store could not be read or written: what the module's own attempt ran
// into, found again by trying the same here. Empty when it cannot be told.
std::string StoreProblem(const fs::path& store, HRESULT hr) {
  if (hr == REGDB_E_READREGDB) {
    std::ifstream in(store, std::ios::binary);
    if (!in) {
      return std::strerror(errno);
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string error;
    if (!ClassesRoot::Parse(text.str(), &error)) {
      return "not a registry export: " + error;
    }
    return {};
  }
  if (hr == REGDB_E_WRITEREGDB) {
    const fs::path folder = store.has_parent_path() ? store.parent_path() : fs::path(".");
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
      return "cannot create the folder " + folder.string() + ": " + ec.message();
    }
    if (access(folder.c_str(), W_OK) != 0) {
      return "cannot write in " + folder.string() + ": " + std::strerror(errno);
    }
  }
  return {};
}

// Calls the entry point of each module in turn; true when every call succeeded.
bool RegisterModules(const std::vector<std::string>& modules, bool unregister) {
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  bool allOk = true;
  for (const std::string& given : modules) {
    // A bare file name means the file in the current folder, not a library search.
    std::error_code error;
    const std::string module = fs::absolute(given, error).string();
    std::string reason;
    const HRESULT hr = CallModuleEntry(module, entry, &reason);
    if (SUCCEEDED(hr)) {
      std::printf("%s in %s succeeded.\n", entry, module.c_str());
      continue;
    }
    allOk = false;
    std::fprintf(stderr, "%s in %s failed. Return code was: 0x%08X%s%s\n", entry, module.c_str(),
                 static_cast<unsigned>(hr), reason.empty() ? "" : "\n", reason.c_str());
    if (hr == REGDB_E_READREGDB || hr == REGDB_E_WRITEREGDB) {
      const fs::path store = RegistryStorePath();
      const std::string problem = StoreProblem(store, hr);
      std::fprintf(stderr, "ombrixdc: cannot %s the registry store %s%s%s\n",
                   hr == REGDB_E_READREGDB ? "read" : "write", store.c_str(),
                   problem.empty() ? "" : ": ", problem.c_str());
    }
  }
  return allOk;
}

}  // namespace

CLI::App* AddRegisterCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "register", "Register in-process server modules in the registry store (or unregister them)");
  auto unregister = std::make_shared<bool>(false);
  auto modules = std::make_shared<std::vector<std::string>>();
  command->add_flag("-u,--unregister", *unregister, "Remove the modules' registration entries");
  command->add_option("MODULE", *modules,
                      "Module files (default: the installed libombrixdc.so.0 and "
                      "ombrixdc-simulated-controller.so, or those of the build tree)");
  command->callback([unregister, modules] {
    const std::vector<std::string> chosen = modules->empty() ? DefaultModules() : *modules;
    if (!RegisterModules(chosen, *unregister)) {
      throw CLI::RuntimeError(1);
    }
  });
  return command;
}
