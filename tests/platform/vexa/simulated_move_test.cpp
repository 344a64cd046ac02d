#include <vector>

#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_sim;
using namespace vexa_test;

namespace {

struct MoveRig : Rig {
  MoveRig() {
    LONG success = 0;
    move->InitialiseObject(link.Get(), ps.Get(), &success);
    EXPECT_EQ(1, success);
  }

  void Rotate(CMaPoint axis, double angle, double speed = 10.0) {
    target->Reset();
    target->SetAxis(axis.x(), axis.y(), axis.z());
    target->put_Angle(angle);
    move->SelectRotation();
    Start(speed);
  }
  void MoveTo(CMaPoint to, double speed = 10.0) {
    target->Reset();
    target->put_x(to.x());
    target->put_y(to.y());
    target->put_z(to.z());
    Start(speed);
  }
  void Start(double speed) {
    LONG success = 0;
    move->SetTarget(target.Get(), &success);
    EXPECT_EQ(1, success);
    move->StartMove(speed, 0, 0, 0, 0);
  }
  // Polls the status as a client does (no Update) until it is no longer "running".
  LONG Wait(std::vector<CMaPoint>* path = nullptr, int maxPolls = 2 * kMaxMoveSteps) {
    LONG status = kVexaMoveRunning;
    polls = 0;
    while (status == kVexaMoveRunning && polls < maxPolls) {
      CMaPoint at;
      move->GetMoveStatus(&status, &at.x(), &at.y(), &at.z());
      ++polls;
      if (path) {
        path->push_back(at);
      }
    }
    return status;
  }

  ComPtr<IVexa_move> move = Create<IVexa_move>(CLSID_Vexa_move);
  ComPtr<IVexa_move_target> target = Create<IVexa_move_target>(CLSID_Vexa_move_target);
  int polls = 0;
};

const CMaPoint kZ{0.0, 0.0, 1.0};

}  // namespace

TEST(SimulatedMove, RotationByPlus90TurnsTheTipAnticlockwiseOnItsCircle) {
  MoveRig rig;
  rig.machine->SetTip(CMaPoint(7.0, 0.0, 0.0));
  rig.Rotate(kZ, 90.0);
  std::vector<CMaPoint> path;
  EXPECT_EQ(kVexaMoveCompleted, rig.Wait(&path));
  EXPECT_TRUE(rig.machine->Tip().IsEqual(CMaPoint(0.0, 7.0, 0.0), 1e-12));
  for (size_t i = 0; i < path.size(); ++i) {
    EXPECT_NEAR(7.0, MaPythag(path[i].x(), path[i].y()), 1e-12);
    if (i > 0) {  // anticlockwise all the way
      EXPECT_GT(path[i - 1].x() * path[i].y() - path[i - 1].y() * path[i].x(), 0.0);
    }
  }

  rig.Rotate(kZ, -90.0);
  EXPECT_EQ(kVexaMoveCompleted, rig.Wait());
  EXPECT_TRUE(rig.machine->Tip().IsEqual(CMaPoint(7.0, 0.0, 0.0), 1e-12));
  // Right-handed about any axis, which need not be of unit length.
  rig.machine->SetTip(CMaPoint(0.0, 7.0, 0.0));
  rig.Rotate(CMaPoint(2.0, 0.0, 0.0), 90.0);
  EXPECT_EQ(kVexaMoveCompleted, rig.Wait());
  EXPECT_TRUE(rig.machine->Tip().IsEqual(CMaPoint(0.0, 0.0, 7.0), 1e-12));
}

TEST(SimulatedMove, LinearMoveRunsAlongTheSegmentAndSelectRotationAppliesOnce) {
  MoveRig rig;
  rig.Rotate(kZ, 45.0);  // from the origin: stays there
  EXPECT_EQ(kVexaMoveCompleted, rig.Wait());
  const CMaPoint from(1.0, 2.0, 3.0), to(4.0, -5.0, 6.0);
  rig.machine->SetTip(from);
  rig.MoveTo(to);
  std::vector<CMaPoint> path;
  EXPECT_EQ(kVexaMoveCompleted, rig.Wait(&path));
  ASSERT_FALSE(rig.machine->LastMove()->rotation);
  EXPECT_TRUE(rig.machine->Tip().IsEqual(to, 0.0));
  for (const auto& at : path) {
    EXPECT_NEAR(from.DistanceTo(to), from.DistanceTo(at) + at.DistanceTo(to), 1e-9);
  }
}

TEST(SimulatedMove, UnusableMovesAreRejectedNotStarted) {
  MoveRig rig;
  rig.MoveTo(CMaPoint(1.0, 0.0, 0.0), 0.0);  // no speed
  EXPECT_EQ(kMoveRejected, rig.Wait());
  rig.Rotate(CMaPoint(0.0, 0.0, 0.0), 90.0);  // no axis
  EXPECT_EQ(kMoveRejected, rig.Wait());
  EXPECT_EQ(0, rig.machine->MovesStarted());

  auto fresh = Create<IVexa_move>(CLSID_Vexa_move);
  LONG success = 0, status = -1;
  fresh->InitialiseObject(rig.link.Get(), nullptr, &success);
  fresh->StartMove(10.0, 0, 0, 0, 0);  // no target given
  double x, y, z;
  fresh->GetMoveStatus(&status, &x, &y, &z);
  EXPECT_EQ(kMoveRejected, status);
}
