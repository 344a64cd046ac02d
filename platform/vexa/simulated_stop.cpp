// The stop object: halts whatever the machine behind the link is doing.
#include "platform/com/object.h"
#include "platform/vexa/simulated_link.h"
#include "platform/vexa/simulated_machine_state.h"
#include "platform/vexa/simulated_objects.h"

namespace vexa_sim {
namespace {

class SimulatedStop final : public ComObject<IVexa_stop> {
 public:
  HRESULT Stop(IVexa_link* link, LONG* success) override {
    if (!success) {
      return E_POINTER;
    }
    const auto machine = MachineOfLink(link);
    *success = machine ? 1 : 0;
    if (machine) {
      machine->Internal().Stop();
    }
    return S_OK;
  }
};

}  // namespace

IUnknown* NewStop() {
  return NewObjectAs<SimulatedStop, IVexa_stop>();
}

}  // namespace vexa_sim
