// The four functions the server module exports. Only this file's functions leave the module
// (the link step's version script hides everything else).
#include "platform/com/module_loader.h"
#include "src/component/automation/registration.h"
#include "src/component/automation/vexa_circle_dc.h"
#include "src/component/process_state.h"

using namespace ombrixdc;

namespace {
// Any object of the module serves to find the module's own file.
const char kModuleAnchor = 0;
}  // namespace

extern "C" {

// The class factory of Vexa_CircleDC; CLASS_E_CLASSNOTAVAILABLE for any other class.
HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  if (!ppv) {
    return E_POINTER;
  }
  *ppv = nullptr;
  if (rclsid != CLSID_Vexa_CircleDC) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  auto factory = ComPtr<IClassFactory>::Attach(NewVexaCircleDCClassFactory());
  return factory->QueryInterface(riid, ppv);
}

// S_OK while no object of the module is alive, no client holds a server lock, no released
// object waits for its run to end and every run thread that ended one has ended itself.
HRESULT DllCanUnloadNow() {
  return ComObjectsAlive() == 0 && ComServerLocks() == 0 && ProcessOrphanedComponents().AllEnded()
             ? S_OK
             : S_FALSE;
}

HRESULT DllRegisterServer() {
  const std::string module = ModuleFileOf(&kModuleAnchor);
  return module.empty() ? SELFREG_E_CLASS : RegisterCircleDCServer(module);
}

HRESULT DllUnregisterServer() {
  return UnregisterCircleDCServer();
}

}  // extern "C"
