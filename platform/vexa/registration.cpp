// Registers the simulated controller's classes with this process's class registry, once.
#include <mutex>

#include "platform/com/class_registry.h"
#include "platform/vexa/simulated_machine.h"
#include "platform/vexa/simulated_objects.h"

namespace vexa_sim {

void RegisterSimulatedController() {
  static std::once_flag once;
  std::call_once(once, [] {
    const struct {
      const CLSID& clsid;
      IUnknown* (*create)();
    } classes[] = {
        {CLSID_Vexa_axis_position_and_status, &NewAxisPositionAndStatus},
        {CLSID_Vexa_stop, &NewStop},
        {CLSID_Vexa_circle_scan, &NewCircleScan},
        {CLSID_Vexa_move, &NewMove},
        {CLSID_Vexa_move_target, &NewMoveTarget},
        {CLSID_Vexa_probe_info, &NewProbeInfo},
        {CLSID_Vexa_head, &NewHead},
        {CLSID_Vexa_frame, &NewFrame},
        {CLSID_Vexa_settings, &NewSettingsStore},
        {CLSID_Vexa_error, &NewErrorObject},
    };
    // The registrations last as long as the process; their cookies are not needed.
    for (const auto& entry : classes) {
      RegisterInProcessClass(entry.clsid, entry.create);
    }
  });
}

}  // namespace vexa_sim
