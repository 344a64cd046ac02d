// The axis position and status object: reads the probe tip, its deflection, the progress of
// a scan and the machine's status, and advances the simulation on each Update.
#include <atomic>

#include "platform/com/object.h"
#include "platform/vexa/simulated_link.h"
#include "platform/vexa/simulated_machine_state.h"
#include "platform/vexa/simulated_objects.h"

namespace vexa_sim {
namespace {

class SimulatedAxisStatus final : public ComObject<IVexa_axis_position_and_status> {
 public:
  HRESULT InitialiseObject(IVexa_link* link, LONG* success) override {
    if (!success) {
      return E_POINTER;
    }
    auto machine = MachineOfLink(link);
    *success = machine ? 1 : 0;
    lastError_ = machine ? 0 : kErrorNoMachine;
    machine_.Bind(std::move(machine));
    return S_OK;
  }

  HRESULT Update() override {
    const auto machine = machine_.Get();
    if (!machine) {
      return E_UNEXPECTED;
    }
    machine->Internal().Update();
    return S_OK;
  }

  HRESULT getTip(double* x, double* y, double* z, LONG* success) override {
    if (!x || !y || !z || !success) {
      return E_POINTER;
    }
    *x = *y = *z = 0.0;
    *success = 0;
    const auto machine = machine_.Get();
    if (!machine) {
      return Fail(kErrorNoMachine);
    }
    CMaPoint tip;
    if (!machine->Internal().ReadTip(&tip)) {
      return Fail(kErrorTipRead);
    }
    tip.GetData(*x, *y, *z);
    *success = 1;
    return S_OK;
  }

  HRESULT getProbeDeflection(double* a, double* b, double* c, LONG* success) override {
    if (!a || !b || !c || !success) {
      return E_POINTER;
    }
    *a = *b = *c = 0.0;
    *success = 0;
    const auto machine = machine_.Get();
    if (!machine) {
      return Fail(kErrorNoMachine);
    }
    machine->Internal().Deflection().GetData(*a, *b, *c);
    *success = 1;
    return S_OK;
  }

  HRESULT probedPointData(LONG* flag) override {
    if (!flag) {
      return E_POINTER;
    }
    const auto machine = machine_.Get();
    *flag = machine && machine->Internal().PointDelivered() ? 1 : 0;
    return machine ? S_OK : E_UNEXPECTED;
  }

  // Without a machine nothing is running, so a polling client is not kept waiting.
  HRESULT actionCompleted(LONG* done) override {
    if (!done) {
      return E_POINTER;
    }
    const auto machine = machine_.Get();
    *done = !machine || machine->Internal().ActionCompleted() ? 1 : 0;
    return machine ? S_OK : E_UNEXPECTED;
  }

  HRESULT ControllerState(LONG* state) override {
    if (!state) {
      return E_POINTER;
    }
    const auto machine = machine_.Get();
    *state = machine && machine->Internal().Engaged() ? E_CONTROLLER_STATE_ENGAGED
                                                      : E_CONTROLLER_STATE_DISENGAGED;
    return machine ? S_OK : E_UNEXPECTED;
  }

  HRESULT getExtendedStatus(BYTE statusBytes[kVexaExtendedStatusBytes], LONG* success) override {
    if (!statusBytes || !success) {
      return E_POINTER;
    }
    *success = 0;
    const auto machine = machine_.Get();
    if (!machine) {
      return Fail(kErrorNoMachine);
    }
    LONG error = 0;
    if (!machine->Internal().ReadExtendedStatus(statusBytes, &error)) {
      return Fail(error);
    }
    *success = 1;
    return S_OK;
  }

  HRESULT GetLastError(LONG* error) override {
    if (!error) {
      return E_POINTER;
    }
    *error = lastError_;
    return S_OK;
  }

#define VEXA_SIM_FLAG_GETTER(name) \
  HRESULT get_##name(LONG* value) override { return ReadFlag(StatusFlag::name, value); }
  VEXA_STATUS_FLAGS(VEXA_SIM_FLAG_GETTER)
#undef VEXA_SIM_FLAG_GETTER

 private:
  HRESULT ReadFlag(StatusFlag flag, LONG* value) {
    if (!value) {
      return E_POINTER;
    }
    const auto machine = machine_.Get();
    *value = machine ? machine->Internal().Flag(flag) : 0;
    return machine ? S_OK : E_UNEXPECTED;
  }

  // The work failed; the call itself did not.
  HRESULT Fail(LONG error) {
    lastError_ = error;
    return S_OK;
  }

  MachineBinding machine_;
  std::atomic<LONG> lastError_{0};
};

}  // namespace

IUnknown* NewAxisPositionAndStatus() {
  return NewObjectAs<SimulatedAxisStatus, IVexa_axis_position_and_status>();
}

}  // namespace vexa_sim
