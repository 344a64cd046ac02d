// The move protocol: define the target, start the move at the run's fast speed, poll its
// status every 30 ms until it leaves "running".
#include "src/procedures/moves.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "src/component/circle_dc_component.h"
#include "src/procedures/run_limits.h"

namespace {

enum class MoveKind { Rotation, Linear };

struct MoveTarget {
  MoveKind kind;
  double x = 0.0, y = 0.0, z = 0.0;
  double angle = 0.0;
};

// A move that is still running after this long will not end by itself.
std::chrono::milliseconds MoveTimeLimit(double distance, double speed) {
  return ProcessRunTimeLimits().For(speed > 0.0 ? distance / speed : 0.0);
}

// An upper bound of the path of a move near the feature: the tip stays within a few units of
// the circle, and a rotation travels at most its angle on that circle.
double MoveDistanceBound(const CircleDCComponent& c, const MoveTarget& target) {
  const double reach = std::abs(c.FeatureRadius.Get()) + std::abs(c.TipRadius.Get()) + 2.0;
  const double angle =
      target.kind == MoveKind::Rotation ? MaDegreeToRadian(std::abs(target.angle)) : 0.0;
  return (angle + 2.0) * reach;
}

MoveOutcome RunMove(CircleDCComponent& c, const MoveTarget& target) {
  if (!c.Move || !c.MoveTarget)
    return MoveOutcome::Failed;
  LONG status = kVexaMoveRunning;
  const auto limit = MoveTimeLimit(MoveDistanceBound(c, target), c.FastSpeed.Get());

  c.MoveTarget->Reset();
  c.MoveTarget->put_x(target.x);
  c.MoveTarget->put_y(target.y);
  c.MoveTarget->put_z(target.z);
  if (target.kind == MoveKind::Rotation) {
    c.MoveTarget->SetAxis(0.0, 0.0, 1.0);
    c.MoveTarget->put_Angle(target.angle);
    c.Move->SelectRotation();
  }
  LONG ignored = 0;
  c.Move->SetTarget(c.MoveTarget.Get(), &ignored);
  c.Move->StartMove(c.FastSpeed.Get(), 0, 0, 0, 0);

  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (status == kVexaMoveRunning) {
    if (std::chrono::steady_clock::now() > deadline) {
      LONG stopped = 0;
      if (c.Stop)
        c.Stop->Stop(c.Link.Get(), &stopped);
      return MoveOutcome::TimedOut;
    }
    std::this_thread::sleep_for(kMovePollInterval);
    double x = 0, y = 0, z = 0;
    c.Move->GetMoveStatus(&status, &x, &y, &z);
  }
  return status == kVexaMoveCompleted ? MoveOutcome::Completed : MoveOutcome::Failed;
}

}  // namespace

MoveOutcome RotateAboutFeatureAxis(CircleDCComponent& c, double degrees) {
  return RunMove(c, {MoveKind::Rotation, 0.0, 0.0, 0.0, degrees});
}

MoveOutcome MoveLinear(CircleDCComponent& c, double x, double y, double z) {
  return RunMove(c, {MoveKind::Linear, x, y, z, 0.0});
}

int32_t MoveErrorNumber(MoveOutcome outcome) {
  switch (outcome) {
    case MoveOutcome::Completed:
      return 0;
    case MoveOutcome::Failed:
      return static_cast<int32_t>(ErrorNumber::ProbeNotAtStart);
    case MoveOutcome::TimedOut:
      return kMoveOrScanTimedOut;
  }
  return static_cast<int32_t>(ErrorNumber::ProbeNotAtStart);
}

void ReturnToStart(CircleDCComponent& c) {
  LONG ignored = 0;
  c.Link->releaseLock(&ignored);

  CMaPoint tip;
  c.AxisStatus->Update();
  c.AxisStatus->getTip(&tip.x(), &tip.y(), &tip.z(), &ignored);
  const CMaVector current(tip.x(), tip.y(), 0.0);
  const CMaPoint start = c.StartPosition.Get();
  const CMaVector startVector = start.To3DVector();
  const CMaVector axis(0.0, 0.0, 1.0);
  const double angle = c.ScanDirection.Get() == E_OMBRIX_DC_CIRCLE_CLOCKWISE_SCAN
                           ? -startVector.AngleWith(current, axis)
                           : current.AngleWith(startVector, axis);
  MoveOutcome outcome = RotateAboutFeatureAxis(c, angle);

  c.AxisStatus->Update();
  c.AxisStatus->getTip(&tip.x(), &tip.y(), &tip.z(), &ignored);
  if (tip.DistanceTo(start) > kReturnDistanceThreshold) {
    outcome = MoveLinear(c, start.x(), start.y(), start.z());
  }

  if (outcome != MoveOutcome::Completed) {
    c.FailRun(MoveErrorNumber(outcome));
    return;
  }
  LONG locked = 0;
  c.Link->getLock(kLockWaitLimit, &locked);
  if (!locked) {
    LONG error = 0;
    c.Link->GetLastError(&error);
    c.LastErrorNumber = error;
  }
}
