#pragma once
// How the simulated controller's objects find their machine: the simulated link answers a
// private interface that hands out the machine. Any other link (or none) has no machine, and
// the objects then report failure.
#include <memory>
#include <mutex>

#include "platform/vexa/simulated_machine.h"

namespace vexa_sim {

inline constexpr IID IID_IVexaSimulatedLink = {
    0x6F1D2C3A, 0x8B47, 0x4E0D, {0x9A, 0x61, 0x2C, 0x5E, 0x7B, 0x13, 0xD4, 0x80}};

struct IVexaSimulatedLink : IUnknown {
  virtual std::shared_ptr<SimulatedMachine> Machine() = 0;

 protected:
  ~IVexaSimulatedLink() = default;
};

// The machine behind a simulated link; null for a foreign link or none.
std::shared_ptr<SimulatedMachine> MachineOfLink(IUnknown* link);

// The machine an object was initialised with, safe to read from any thread.
class MachineBinding {
 public:
  void Bind(std::shared_ptr<SimulatedMachine> machine) {
    std::lock_guard lock(mutex_);
    machine_ = std::move(machine);
  }
  // Binds the machine behind `link` (none for a foreign link or no link) and reports through
  // `success` whether there is one, as the controller objects' InitialiseObject does.
  HRESULT BindToLink(IVexa_link* link, LONG* success) {
    if (!success) {
      return E_POINTER;
    }
    auto machine = MachineOfLink(link);
    *success = machine ? 1 : 0;
    Bind(std::move(machine));
    return S_OK;
  }
  std::shared_ptr<SimulatedMachine> Get() const {
    std::lock_guard lock(mutex_);
    return machine_;
  }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<SimulatedMachine> machine_;
};

}  // namespace vexa_sim

OMBRIXDC_INTERFACE_ID(vexa_sim::IVexaSimulatedLink, vexa_sim::IID_IVexaSimulatedLink);
