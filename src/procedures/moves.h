#pragma once
// Moves of the probe between scans, through the controller's move and move target objects.
// Coordinates are in the feature frame: the circle's centre is the origin, its axis +z.
// Every move runs at the run's fast speed.
#include "src/procedures/run_context.h"
#include "src/procedures/step_result.h"

namespace ombrixdc {

enum class MoveOutcome {
  Completed,  // the controller reported the move completed
  Failed,     // the controller ended the move with another status
  TimedOut,   // the move never ended; the machine was stopped
};

// Rotation about the feature axis by `degrees` (positive anticlockwise seen from +z).
MoveOutcome RotateAboutFeatureAxis(const RunContext& run, double degrees);
// Straight move of the tip centre to `target`.
MoveOutcome MoveLinear(const RunContext& run, const CMaPoint& target);

// How a move outcome ends the step: completed, MoveFailed, or the controller's timeout code.
StepResult MoveResult(MoveOutcome outcome);

// Brings the probe back to the start position after the slow scan: gives up the controller
// lock, rotates about the feature axis onto the start position, moves straight there when the
// rotation left it more than kReturnDistanceThresholdMm away, and takes the lock back. A failed
// move leaves the lock released.
StepResult ReturnToStart(const RunContext& run);

}  // namespace ombrixdc
