#pragma once
// The two things every step does to the controller around its moves and scans: stop the
// machine, and take the link's lock back after a move made without it.
#include "src/procedures/run_context.h"
#include "src/procedures/step_result.h"

namespace ombrixdc {

// Asks the controller to stop the machine (an abort, or a move or scan that never ends).
void StopMachine(const ControllerObjects& controller);

// Takes the link's lock back (wait limit kLockWaitLimit). A refusal fails the step with the
// link's own error code (or FailedWithoutCode when it gives none).
StepResult TakeLockBack(const ControllerObjects& controller);

// Gives the lock up before a move; the result is not examined.
void GiveLockUp(const ControllerObjects& controller);

// The link's code for a refused lock, never 0: a refusal is never read back as success.
Error LockRefusalCode(IVexa_link* link);

}  // namespace ombrixdc
