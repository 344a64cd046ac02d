#include "src/procedures/controller_lock.h"

namespace ombrixdc {

void StopMachine(const ControllerObjects& controller) {
  LONG stopped = 0;
  if (controller.stop) {
    controller.stop->Stop(controller.link.Get(), &stopped);
  }
}

Error LockRefusalCode(IVexa_link* link) {
  LONG error = 0;
  if (link) {
    link->GetLastError(&error);
  }
  return StepResult::Failed(Error::FromNumber(error)).error;
}

StepResult TakeLockBack(const ControllerObjects& controller) {
  LONG locked = 0;
  controller.link->getLock(kLockWaitLimit, &locked);
  if (!locked) {
    return StepResult::Failed(LockRefusalCode(controller.link.Get()));
  }
  return StepResult::Completed();
}

void GiveLockUp(const ControllerObjects& controller) {
  LONG ignored = 0;
  controller.link->releaseLock(&ignored);
}

}  // namespace ombrixdc
