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
      if (path)
        path->push_back(at);
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

// At the rate a client polls, a move takes about as many polls as it takes time: its length
// over its speed, in polls of kMoveStepSeconds, but at least a few and not without end.
TEST(SimulatedMove, TakesPollsInProportionToItsTimeWithinBounds) {
  const struct {
    bool rotation;
    double length;  // mm: the segment, or the arc of a tip 7 from the axis
    double speed;
    int polls;
  } cases[] = {
      {false, 3.0, 10.0, 10},               // 0.3 s
      {false, 3.0, 5.0, 20},                // 0.6 s
      {true, 7.0 * MA_PI / 2.0, 20.0, 19},  // 0.55 s
      {false, 3.0, 1000.0, kMoveSteps},
      {true, 7.0 * MA_PI * 2.0, 1.0, kMaxMoveSteps},
  };
  for (const auto& c : cases) {
    MoveRig rig;
    rig.machine->SetTip(CMaPoint(7.0, 0.0, 0.0));
    if (c.rotation) {
      rig.Rotate(kZ, MaRadianToDegree(c.length / 7.0), c.speed);
    } else {
      rig.MoveTo(CMaPoint(7.0, c.length, 0.0), c.speed);
    }
    // The position object reads the same tip as the move reports, in the feature frame.
    LONG status = kVexaMoveRunning;
    int polls = 0;
    while (status == kVexaMoveRunning && polls < 100) {
      CMaPoint reported, read;
      rig.move->GetMoveStatus(&status, &reported.x(), &reported.y(), &reported.z());
      ++polls;
      LONG success = 0;
      rig.ps->getTip(&read.x(), &read.y(), &read.z(), &success);
      ASSERT_EQ(1, success);
      EXPECT_TRUE(read.IsEqual(reported, 0.0));
      EXPECT_NEAR(7.0, c.rotation ? MaPythag(read.x(), read.y()) : read.x(), 1e-9);
    }
    EXPECT_EQ(kVexaMoveCompleted, status);
    EXPECT_EQ(c.polls, polls) << c.length << " mm at " << c.speed << " mm/s";
  }
}

TEST(SimulatedMove, UpdateAdvancesAMoveToo) {
  MoveRig rig;
  rig.MoveTo(CMaPoint(5.0, 0.0, 0.0), 1000.0);
  for (int i = 0; i < kMoveSteps; ++i)
    rig.ps->Update();
  LONG status = 0;
  double x, y, z;
  rig.move->GetMoveStatus(&status, &x, &y, &z);
  EXPECT_EQ(kVexaMoveCompleted, status);
  EXPECT_EQ(5.0, x);
}

TEST(SimulatedMove, InjectedFailureEndsMovePartWayWithThatStatusUntilLifted) {
  MoveRig rig;
  const LONG failure = 0x4000;
  rig.machine->FailMoves(failure);
  rig.MoveTo(CMaPoint(8.0, 0.0, 0.0));
  EXPECT_EQ(failure, rig.Wait());
  EXPECT_LE(rig.polls, 15);  // half of the move's 27 steps, and the failure
  const double x = rig.machine->Tip().x();
  EXPECT_GT(x, 0.0);
  EXPECT_LT(x, 8.0);

  // The running status makes a move hang half way until it is stopped.
  rig.machine->FailMoves(kVexaMoveRunning);
  rig.MoveTo(CMaPoint(0.0, 0.0, 0.0));
  EXPECT_EQ(kVexaMoveRunning, rig.Wait(nullptr, 100));
  LONG success = 0;
  Create<IVexa_stop>(CLSID_Vexa_stop)->Stop(rig.link.Get(), &success);
  EXPECT_EQ(kMoveStopped, rig.Wait());

  rig.machine->FailMoves(0);
  rig.MoveTo(CMaPoint(8.0, 0.0, 0.0));
  EXPECT_EQ(kVexaMoveCompleted, rig.Wait());
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
