#include "platform/vexa/simulated_link.h"

#include <atomic>

#include "platform/com/object.h"
#include "platform/vexa/simulated_machine_state.h"

namespace vexa_sim {
namespace {

// The link a measuring application hands over: the controller's lock and its last error.
class SimulatedLink final : public ComObject<IVexa_link, IVexaSimulatedLink> {
 public:
  explicit SimulatedLink(std::shared_ptr<SimulatedMachine> machine)
      : machine_(std::move(machine)) {}

  HRESULT getLock(LONG waitLimit, LONG* success) override {
    if (!success) {
      return E_POINTER;
    }
    *success = 0;
    if (!machine_) {
      return Fail(kErrorNoMachine);
    }
    LONG error = 0;
    if (!machine_->Internal().AcquireLock(waitLimit, &error)) {
      return Fail(error);
    }
    lastError_ = 0;
    *success = 1;
    return S_OK;
  }

  HRESULT releaseLock(LONG* success) override {
    if (!success) {
      return E_POINTER;
    }
    *success = 0;
    if (!machine_) {
      return Fail(kErrorNoMachine);
    }
    if (!machine_->Internal().ReleaseLock()) {
      return Fail(kErrorLockNotHeld);
    }
    lastError_ = 0;
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

  std::shared_ptr<SimulatedMachine> Machine() override { return machine_; }

 private:
  // The work failed; the call itself did not.
  HRESULT Fail(LONG error) {
    lastError_ = error;
    return S_OK;
  }

  const std::shared_ptr<SimulatedMachine> machine_;
  std::atomic<LONG> lastError_{0};
};

}  // namespace

std::shared_ptr<SimulatedMachine> MachineOfLink(IUnknown* link) {
  if (!link) {
    return nullptr;
  }
  ComPtr<IVexaSimulatedLink> simulated;
  if (FAILED(
          link->QueryInterface(IID_IVexaSimulatedLink, simulated.ReleaseAndGetVoidAddressOf())) ||
      !simulated) {
    return nullptr;
  }
  return simulated->Machine();
}

ComPtr<IVexa_link> MakeSimulatedLink(std::shared_ptr<SimulatedMachine> machine) {
  return ComPtr<IVexa_link>(new SimulatedLink(std::move(machine)));
}

}  // namespace vexa_sim
