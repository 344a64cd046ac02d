#include "tools/ombrixdc/register_command.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/module_loader.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> DefaultModules() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  const fs::path lib = program.parent_path().parent_path() / "lib";
  return {(lib / "libombrixdc.so").string(), (lib / "libvexasim.so").string()};
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
                      "Module files (default: libombrixdc.so and libvexasim.so in the lib folder "
                      "beside this program's folder)");
  command->callback([unregister, modules] {
    const std::vector<std::string> chosen = modules->empty() ? DefaultModules() : *modules;
    if (!RegisterModules(chosen, *unregister))
      throw CLI::RuntimeError(1);
  });
  return command;
}
