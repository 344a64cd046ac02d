#include "src/component/view_module_loader.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <vector>

#include "platform/com/module_loader.h"
#include "src/engine/error_number.h"

// Defined only where the viewer is linked into the program itself.
extern "C" __attribute__((weak)) const ombrixdc::ViewModule* ombrixdc_view_module();

namespace ombrixdc {
namespace {

namespace fs = std::filesystem;

// Any object of this code serves to find the file that holds it.
const char kCodeAnchor = 0;

std::atomic<const ViewModule*> loadedModule{nullptr};

struct LoadOutcome {
  const ViewModule* module = nullptr;
  std::string whyNot;
};

std::vector<fs::path> ModuleFolders(const fs::path& codeFile) {
  const fs::path folder = codeFile.parent_path();
  std::vector<fs::path> folders{folder};
  for (const char* toLib : {"../lib", OMBRIXDC_BIN_TO_LIB, OMBRIXDC_PYTHON_TO_LIB}) {
    const fs::path candidate = (folder / toLib).lexically_normal();
    if (std::ranges::find(folders, candidate) == folders.end()) {
      folders.push_back(candidate);
    }
  }
  return folders;
}

LoadOutcome Checked(const ViewModule* module, const std::string& where) {
  if (!module || module->version != kViewModuleVersion || module->size != sizeof(ViewModule)) {
    return {nullptr, where + " belongs to another build of OmbrixDC"};
  }
  return {module, {}};
}

LoadOutcome LoadFromDisk() {
  std::string searched;
  for (const fs::path& folder : ModuleFolders(ModuleFileOf(&kCodeAnchor))) {
    const fs::path file = folder / kViewModuleFileName;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
      searched += (searched.empty() ? "" : ", ") + folder.string();
      continue;
    }
    void* handle = nullptr;
    std::string error;
    if (FAILED(LoadServerModule(file.string(), &handle, &error))) {
      return {nullptr, error};
    }
    const auto entry =
        reinterpret_cast<ViewModuleEntryFunction>(FindModuleExport(handle, kViewModuleEntryName));
    if (!entry) {
      return {nullptr, file.string() + " does not export " + kViewModuleEntryName};
    }
    return Checked(entry(), file.string());
  }
  return {nullptr, std::string(kViewModuleFileName) + " is in none of " + searched};
}

const LoadOutcome& Load() {
  static const LoadOutcome outcome = [] {
    LoadOutcome loaded = ombrixdc_view_module ? Checked(ombrixdc_view_module(), "the linked viewer")
                                              : LoadFromDisk();
    if (!loaded.module) {
      loaded.whyNot = std::string(FindError(Number(ErrorNumber::ViewModule))->meaning) + " (" +
                      loaded.whyNot + ")";
    }
    loadedModule = loaded.module;
    return loaded;
  }();
  return outcome;
}

}  // namespace

const ViewModule* LoadViewModule(std::string* whyNot) {
  const LoadOutcome& outcome = Load();
  if (!outcome.module && whyNot) {
    *whyNot = outcome.whyNot;
  }
  return outcome.module;
}

const ViewModule* LoadedViewModule() {
  return loadedModule.load();
}

}  // namespace ombrixdc
