// The objects a client asks about the machine's set-up: probe information, head angles and
// the feature frame's mapping into machine coordinates. Each reports what the machine was
// configured with once it has been initialised with a simulated link.
#include <mutex>

#include "platform/com/object.h"
#include "platform/vexa/simulated_link.h"
#include "platform/vexa/simulated_machine_state.h"
#include "platform/vexa/simulated_objects.h"

namespace vexa_sim {
namespace {

class SimulatedProbeInfo final : public ComObject<IVexa_probe_info> {
 public:
  HRESULT InitialiseObject(IVexa_link* link, LONG* success) override {
    return machine_.BindToLink(link, success);
  }
  HRESULT get_measuringUnit(BYTE* value) override {
    return Read(&MachineConfig::measuringUnit, value);
  }
  HRESULT get_probeType(BYTE* value) override { return Read(&MachineConfig::probeType, value); }
  HRESULT get_headFlag(BYTE* value) override { return Read(&MachineConfig::headFlag, value); }

 private:
  HRESULT Read(int32_t MachineConfig::*field, BYTE* value) {
    if (!value) {
      return E_POINTER;
    }
    const auto machine = machine_.Get();
    // The controller reports these as bytes.
    *value = machine ? static_cast<BYTE>(machine->Config().*field) : 0;
    return machine ? S_OK : E_UNEXPECTED;
  }

  MachineBinding machine_;
};

class SimulatedHead final : public ComObject<IVexa_head> {
 public:
  HRESULT InitialiseObject(IVexa_link* link, IVexa_axis_position_and_status* /*ps*/,
                           LONG* success) override {
    return machine_.BindToLink(link, success);
  }
  HRESULT get_angleA(double* degrees) override { return Read(&MachineConfig::headAngleA, degrees); }
  HRESULT get_angleB(double* degrees) override { return Read(&MachineConfig::headAngleB, degrees); }

 private:
  HRESULT Read(double MachineConfig::*field, double* degrees) {
    if (!degrees) {
      return E_POINTER;
    }
    const auto machine = machine_.Get();
    *degrees = machine ? machine->Config().*field : 0.0;
    return machine ? S_OK : E_UNEXPECTED;
  }

  MachineBinding machine_;
};

class SimulatedFrame final : public ComObject<IVexa_frame> {
 public:
  HRESULT SetPoint(IVexa_link* link, double x, double y, double z) override {
    const auto machine = MachineOfLink(link);
    std::lock_guard lock(mutex_);
    if (!machine) {
      image_.reset();
      return E_INVALIDARG;
    }
    image_ = machine->FeatureToMachine(CMaPoint(x, y, z));
    return S_OK;
  }

  HRESULT GetPoint(double* x, double* y, double* z) override {
    if (!x || !y || !z) {
      return E_POINTER;
    }
    std::lock_guard lock(mutex_);
    // Without a mapped point there is nothing to report: zeros and a failure status.
    image_.value_or(CMaPoint()).GetData(*x, *y, *z);
    return image_ ? S_OK : E_UNEXPECTED;
  }

 private:
  std::mutex mutex_;
  std::optional<CMaPoint> image_;
};

}  // namespace

IUnknown* NewProbeInfo() {
  return NewObjectAs<SimulatedProbeInfo, IVexa_probe_info>();
}
IUnknown* NewHead() {
  return NewObjectAs<SimulatedHead, IVexa_head>();
}
IUnknown* NewFrame() {
  return NewObjectAs<SimulatedFrame, IVexa_frame>();
}

}  // namespace vexa_sim
