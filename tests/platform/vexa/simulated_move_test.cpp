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
  // Starts a rotation about `axis` (a linear move to `to` when no axis is given) and polls the
  // status as a client does (no Update) until it is no longer "running".
  LONG Run(CMaPoint to, const CMaPoint* axis, double value, std::vector<CMaPoint>* path = nullptr,
           double speed = 10.0) {
    target->Reset();
    if (axis) {
      target->SetAxis(axis->x(), axis->y(), axis->z());
      target->put_Angle(value);
      move->SelectRotation();
    } else {
      target->put_x(to.x());
      target->put_y(to.y());
      target->put_z(to.z());
    }
    LONG success = 0, status = kVexaMoveRunning;
    move->SetTarget(target.Get(), &success);
    EXPECT_EQ(1, success);
    move->StartMove(speed, 0, 0, 0, 0);
    for (int polls = 0; status == kVexaMoveRunning && polls < 2 * kMaxMoveSteps; ++polls) {
      CMaPoint at;
      move->GetMoveStatus(&status, &at.x(), &at.y(), &at.z());
      if (path) {
        path->push_back(at);
      }
    }
    return status;
  }

  ComPtr<IVexa_move> move = Create<IVexa_move>(CLSID_Vexa_move);
  ComPtr<IVexa_move_target> target = Create<IVexa_move_target>(CLSID_Vexa_move_target);
};

const CMaPoint kZ{0.0, 0.0, 1.0}, kLongX{2.0, 0.0, 0.0}, kNone;

}  // namespace

TEST(SimulatedMove, RotationIsRightHandedAboutItsAxisAndStaysOnItsCircle) {
  MoveRig rig;
  rig.machine->SetTip(CMaPoint(7.0, 0.0, 0.0));
  std::vector<CMaPoint> path;
  EXPECT_EQ(kVexaMoveCompleted, rig.Run({}, &kZ, 90.0, &path));
  EXPECT_TRUE(rig.machine->Tip().IsEqual(CMaPoint(0.0, 7.0, 0.0), 1e-12));
  for (size_t i = 0; i < path.size(); ++i) {
    EXPECT_NEAR(7.0, MaPythag(path[i].x(), path[i].y()), 1e-12);
    if (i > 0) {  // anticlockwise all the way
      EXPECT_GT(path[i - 1].x() * path[i].y() - path[i - 1].y() * path[i].x(), 0.0);
    }
  }
  // About any axis, which need not be of unit length; a negative angle turns back.
  EXPECT_EQ(kVexaMoveCompleted, rig.Run({}, &kLongX, 90.0));
  EXPECT_TRUE(rig.machine->Tip().IsEqual(CMaPoint(0.0, 0.0, 7.0), 1e-12));
  EXPECT_EQ(kVexaMoveCompleted, rig.Run({}, &kLongX, -90.0));
  EXPECT_TRUE(rig.machine->Tip().IsEqual(CMaPoint(0.0, 7.0, 0.0), 1e-12));
}

TEST(SimulatedMove, LinearMoveRunsAlongTheSegmentAfterARotation) {
  MoveRig rig;
  EXPECT_EQ(kVexaMoveCompleted, rig.Run({}, &kZ, 45.0));  // from the origin: stays there
  const CMaPoint from(1.0, 2.0, 3.0), to(4.0, -5.0, 6.0);
  rig.machine->SetTip(from);
  std::vector<CMaPoint> path;
  EXPECT_EQ(kVexaMoveCompleted, rig.Run(to, nullptr, 0.0, &path));
  ASSERT_FALSE(rig.machine->LastMove()->rotation);  // the rotation was selected once only
  EXPECT_TRUE(rig.machine->Tip().IsEqual(to, 0.0));
  for (const auto& at : path) {
    EXPECT_NEAR(from.DistanceTo(to), from.DistanceTo(at) + at.DistanceTo(to), 1e-9);
  }
}

TEST(SimulatedMove, UnusableMovesAreRejectedNotStarted) {
  MoveRig rig;
  EXPECT_EQ(kMoveRejected, rig.Run({1.0, 0.0, 0.0}, nullptr, 0.0, nullptr, 0.0));  // no speed
  EXPECT_EQ(kMoveRejected, rig.Run({}, &kNone, 90.0));                             // no axis
  EXPECT_EQ(0, rig.machine->MovesStarted());
}
