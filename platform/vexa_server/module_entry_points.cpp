// The four functions the simulated controller's server module exports.
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/class_registry.h"
#include "platform/com/module_loader.h"
#include "platform/com/object.h"
#include "platform/com/registrar.h"
#include "platform/com/registry_store.h"
#include "platform/vexa/simulated_machine.h"
#include "platform/vexa/simulated_objects.h"
#include "platform/vexa_server/vexa_server.h"

namespace {

const char kModuleAnchor = 0;

// One machine for the process: the links hand it to every object initialised with them.
IUnknown* NewLink() {
  static const auto machine = std::make_shared<vexa_sim::SimulatedMachine>();
  return static_cast<IUnknown*>(vexa_sim::MakeSimulatedLink(machine).Detach());
}

struct ServedClass {
  const CLSID& clsid;
  const char* name;
  const char* progId;  // null: known by class id only
  IUnknown* (*create)();
};

const ServedClass kClasses[] = {
    {CLSID_VexaSim_link, "Vexa_link", kVexaSimLinkProgId, &NewLink},
    {CLSID_Vexa_axis_position_and_status, "Vexa_axis_position_and_status", nullptr,
     &vexa_sim::NewAxisPositionAndStatus},
    {CLSID_Vexa_stop, "Vexa_stop", nullptr, &vexa_sim::NewStop},
    {CLSID_Vexa_circle_scan, "Vexa_circle_scan", nullptr, &vexa_sim::NewCircleScan},
    {CLSID_Vexa_move, "Vexa_move", nullptr, &vexa_sim::NewMove},
    {CLSID_Vexa_move_target, "Vexa_move_target", nullptr, &vexa_sim::NewMoveTarget},
    {CLSID_Vexa_probe_info, "Vexa_probe_info", nullptr, &vexa_sim::NewProbeInfo},
    {CLSID_Vexa_head, "Vexa_head", nullptr, &vexa_sim::NewHead},
    {CLSID_Vexa_frame, "Vexa_frame", nullptr, &vexa_sim::NewFrame},
    {CLSID_Vexa_settings, "Vexa_settings", nullptr, &vexa_sim::NewSettingsStore},
    {CLSID_Vexa_error, "Vexa_error", kVexaErrorProgId, &vexa_sim::NewErrorObject},
};

constexpr RegistrationValue kBothModels[] = {{"ThreadingModel", "Both"}};

// The registration script, built from the class table; the texts live as long as the script.
struct Script {
  std::deque<std::string> texts;
  std::vector<RegistrationEntry> entries;

  std::string_view Keep(std::string text) { return texts.emplace_back(std::move(text)); }
  void Add(std::string key, std::optional<std::string> value,
           RegistrationFlag flag = RegistrationFlag::None,
           std::span<const RegistrationValue> values = {}) {
    const std::string_view keptKey = Keep(std::move(key));
    std::optional<std::string_view> keptValue;
    if (value) {
      keptValue = Keep(std::move(*value));
    }
    entries.push_back({keptKey, keptValue, flag, values});
  }
};

Script RegistrationScript() {
  Script script;
  for (const ServedClass& served : kClasses) {
    const std::string clsid = FormatGuid(served.clsid);
    const std::string title = std::string(served.name) + " Class (simulated controller)";
    if (served.progId) {
      script.Add(served.progId, title);
      script.Add(std::string(served.progId) + "\\CLSID", clsid);
    }
  }
  script.Add("CLSID", std::nullopt, RegistrationFlag::NoRemove);
  for (const ServedClass& served : kClasses) {
    const std::string key = "CLSID\\" + FormatGuid(served.clsid);
    script.Add(key, std::string(served.name) + " Class (simulated controller)",
               RegistrationFlag::ForceRemove);
    script.Add(key + "\\InprocServer32", "%MODULE%", RegistrationFlag::None, kBothModels);
    if (served.progId) {
      script.Add(key + "\\ProgID", served.progId);
    }
  }
  return script;
}

}  // namespace

extern "C" {

HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  if (!ppv) {
    return E_POINTER;
  }
  *ppv = nullptr;
  for (const ServedClass& served : kClasses) {
    if (served.clsid == rclsid) {
      auto factory = ComPtr<IClassFactory>::Attach(NewClassFactory(served.create));
      return factory->QueryInterface(riid, ppv);
    }
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT DllCanUnloadNow() {
  return ComObjectsAlive() == 0 && ComServerLocks() == 0 ? S_OK : S_FALSE;
}

HRESULT DllRegisterServer() {
  const std::string module = ModuleFileOf(&kModuleAnchor);
  if (module.empty()) {
    return SELFREG_E_CLASS;
  }
  const Script script = RegistrationScript();
  return UpdateClassesRoot([&](ClassesRoot& root) {
    ApplyRegistration(root, script.entries, module);
    return S_OK;
  });
}

HRESULT DllUnregisterServer() {
  const Script script = RegistrationScript();
  return UpdateClassesRoot([&](ClassesRoot& root) {
    RemoveRegistration(root, script.entries);
    return S_OK;
  });
}

}  // extern "C"
