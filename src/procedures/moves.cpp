// The move protocol: define the target, start the move at the run's fast speed, poll its
// status until it leaves "running".
#include "src/procedures/moves.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "src/procedures/controller_lock.h"

namespace ombrixdc {

namespace {

enum class MoveKind { Rotation, Linear };

struct MoveTarget {
  MoveKind kind;
  CMaPoint position;
  double angle = 0.0;
};

// Clearance the tip keeps from the feature on its way round it, in the feature's unit.
constexpr double kMoveClearance = 2.0;
const CMaVector kFeatureAxis(0.0, 0.0, 1.0);

// An upper bound of the path of a move near the feature: the tip stays within a few units of
// the circle, and a rotation travels at most its angle on that circle.
double MoveDistanceBound(const RunContext& run, const MoveTarget& target) {
  const double reach =
      std::abs(run.feature.radius) + std::abs(run.feature.tipRadius) + kMoveClearance;
  const double angle =
      target.kind == MoveKind::Rotation ? MaDegreeToRadian(std::abs(target.angle)) : 0.0;
  return (angle + kMoveClearance) * reach;
}

// A move that is still running after this long will not end by itself.
std::chrono::milliseconds MoveTimeLimit(const RunContext& run, const MoveTarget& target) {
  const double speed = run.feature.fastSpeed;
  const double distance = MoveDistanceBound(run, target);
  return run.limits.For(speed > 0.0 ? distance / speed : 0.0);
}

void StartMove(const ControllerObjects& controller, const MoveTarget& target, double speed) {
  IVexa_move_target* moveTarget = controller.moveTarget.Get();
  moveTarget->Reset();
  moveTarget->put_x(target.position.x());
  moveTarget->put_y(target.position.y());
  moveTarget->put_z(target.position.z());
  if (target.kind == MoveKind::Rotation) {
    moveTarget->SetAxis(0.0, 0.0, 1.0);  // the feature axis
    moveTarget->put_Angle(target.angle);
    controller.move->SelectRotation();
  }
  LONG ignored = 0;
  controller.move->SetTarget(moveTarget, &ignored);
  controller.move->StartMove(speed, 0, 0, 0, 0);
}

MoveOutcome RunMove(const RunContext& run, const MoveTarget& target) {
  const ControllerObjects& controller = run.controller;
  if (!controller.move || !controller.moveTarget) {
    return MoveOutcome::Failed;
  }
  const auto deadline = std::chrono::steady_clock::now() + MoveTimeLimit(run, target);
  StartMove(controller, target, run.feature.fastSpeed);

  LONG status = kVexaMoveRunning;
  while (status == kVexaMoveRunning) {
    if (std::chrono::steady_clock::now() > deadline) {
      StopMachine(controller);
      return MoveOutcome::TimedOut;
    }
    std::this_thread::sleep_for(kMovePollInterval);
    double x = 0, y = 0, z = 0;
    controller.move->GetMoveStatus(&status, &x, &y, &z);
  }
  return status == kVexaMoveCompleted ? MoveOutcome::Completed : MoveOutcome::Failed;
}

CMaPoint TipPosition(IVexa_axis_position_and_status* axisStatus) {
  CMaPoint tip;
  LONG ignored = 0;
  axisStatus->Update();
  axisStatus->getTip(&tip.x(), &tip.y(), &tip.z(), &ignored);
  return tip;
}

}  // namespace

MoveOutcome RotateAboutFeatureAxis(const RunContext& run, double degrees) {
  return RunMove(run, {MoveKind::Rotation, CMaPoint(0.0, 0.0, 0.0), degrees});
}

MoveOutcome MoveLinear(const RunContext& run, const CMaPoint& target) {
  return RunMove(run, {MoveKind::Linear, target, 0.0});
}

StepResult MoveResult(MoveOutcome outcome) {
  switch (outcome) {
    case MoveOutcome::Completed:
      return StepResult::Completed();
    case MoveOutcome::Failed:
      return StepResult::Failed(ErrorNumber::MoveFailed);
    case MoveOutcome::TimedOut:
      return StepResult::Failed(ControllerCode::TimeoutDuringMoveOrScan);
  }
  return StepResult::Failed(ErrorNumber::MoveFailed);
}

StepResult ReturnToStart(const RunContext& run) {
  const ControllerObjects& controller = run.controller;
  GiveLockUp(controller);

  CMaPoint tip = TipPosition(controller.axisStatus.Get());
  const CMaVector current(tip.x(), tip.y(), 0.0);
  const CMaVector start = run.startPosition.To3DVector();
  const double angle = run.feature.scanDirection == E_OMBRIX_DC_CIRCLE_CLOCKWISE_SCAN
                           ? -start.AngleWith(current, kFeatureAxis)
                           : current.AngleWith(start, kFeatureAxis);
  MoveOutcome outcome = RotateAboutFeatureAxis(run, angle);

  tip = TipPosition(controller.axisStatus.Get());
  if (tip.DistanceTo(run.startPosition) >
      InMeasuringUnit(kReturnDistanceThresholdMm, run.feature.measuringUnit)) {
    outcome = MoveLinear(run, run.startPosition);
  }

  if (outcome != MoveOutcome::Completed) {
    return MoveResult(outcome);
  }
  return TakeLockBack(controller);
}

}  // namespace ombrixdc
