// The link, axis status and move objects of the simulated controller.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/platform/vexa/rig.h"

namespace vexa_sim_test {
namespace {

// The success value of getLock, with the link's last error.
std::pair<LONG, LONG> GetLock(IVexa_link* link, LONG waitLimit) {
  LONG success = -1, error = 0;
  EXPECT_EQ(S_OK, link->getLock(waitLimit, &success));
  link->GetLastError(&error);
  return {success, error};
}

struct MoveRig : Rig {
  MoveRig() {
    LONG success = 0;
    move->InitialiseObject(link.Get(), ps.Get(), &success);
    EXPECT_EQ(1, success);
  }
  // Starts a rotation about `axis` (a linear move to `to` when no axis is given).
  void Start(CMaPoint to, const CMaPoint* axis, double value, double speed = 10.0) {
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
    LONG success = 0;
    move->SetTarget(target.Get(), &success);
    EXPECT_EQ(1, success);
    move->StartMove(speed, 0, 0, 0, 0);
  }
  // Starts a move and polls the status as a client does (no Update) until it is no longer
  // "running".
  LONG Run(CMaPoint to, const CMaPoint* axis, double value, std::vector<CMaPoint>* path = nullptr,
           double speed = 10.0) {
    Start(to, axis, value, speed);
    LONG status = kVexaMoveRunning;
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

const CMaPoint kZ{0.0, 0.0, 1.0}, kNone;

// Two good reads, a failed one with its error, and a good one once restored.
TEST(SimulatedAxisStatus, TipReadsFailAfterTheGivenNumberUntilRestored) {
  Rig rig;
  rig.machine->SetTip(CMaPoint(1.0, 2.0, 3.0));
  rig.machine->FailTipReadsAfter(2);
  for (const LONG success : {1, 1, 0, 1}) {
    double x = 0, y = 0, z = 0;
    LONG read = -1, error = 0;
    rig.ps->getTip(&x, &y, &z, &read);
    EXPECT_EQ(success, read);
    EXPECT_EQ(success ? 2.0 : 0.0, y);
    if (!success) {
      rig.ps->GetLastError(&error);
      EXPECT_EQ(kErrorTipRead, error);
      rig.machine->FailTipReadsAfter(-1);
    }
  }
}

TEST(SimulatedLink, GrantsAFreeLockReleasesItOnceAndTimesOutWhileAnotherThreadHoldsIt) {
  auto machine = std::make_shared<SimulatedMachine>();
  auto link = MakeSimulatedLink(machine);
  EXPECT_EQ(1, GetLock(link.Get(), 0).first);
  EXPECT_TRUE(machine->LockHeld());
  for (const LONG released : {1, 0}) {
    LONG success = -1, error = 0;
    EXPECT_EQ(S_OK, link->releaseLock(&success));
    EXPECT_EQ(released, success);
    EXPECT_FALSE(machine->LockHeld());
    link->GetLastError(&error);
    EXPECT_EQ(released ? 0 : kErrorLockNotHeld, error);
  }
  // While another thread holds the lock, a wait for it ends after its limit.
  MachineConfig config;
  config.lockTimeoutError = static_cast<LONG>(0x81600077u);
  machine = std::make_shared<SimulatedMachine>(config);
  auto holder = MakeSimulatedLink(machine), waiter = MakeSimulatedLink(machine);
  std::thread([&] { EXPECT_EQ(1, GetLock(holder.Get(), 0).first); }).join();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(std::make_pair(0, config.lockTimeoutError), GetLock(waiter.Get(), 60));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(55));
}

TEST(SimulatedMove, RotationIsAnticlockwiseOnItsCircleThenALinearMoveReachesItsTarget) {
  MoveRig rig;
  rig.machine->SetTip(CMaPoint(7.0, 0.0, 3.0));
  std::vector<CMaPoint> path;
  EXPECT_EQ(kVexaMoveCompleted, rig.Run({}, &kZ, 90.0, &path));
  EXPECT_TRUE(rig.machine->Tip().IsEqual(CMaPoint(0.0, 7.0, 3.0), 1e-12));
  for (size_t i = 0; i < path.size(); ++i) {
    EXPECT_NEAR(7.0, MaPythag(path[i].x(), path[i].y()), 1e-12);
    if (i > 0) {  // anticlockwise all the way
      EXPECT_GT(path[i - 1].x() * path[i].y() - path[i - 1].y() * path[i].x(), 0.0);
    }
  }
  const CMaPoint to(4.0, -5.0, 6.0);
  EXPECT_EQ(kVexaMoveCompleted, rig.Run(to, nullptr, 0.0));
  EXPECT_FALSE(rig.machine->LastMove()->rotation);  // the rotation was selected once only
  EXPECT_TRUE(rig.machine->Tip().IsEqual(to, 0.0));
  EXPECT_EQ(kMoveRejected, rig.Run({1.0, 0.0, 0.0}, nullptr, 0.0, nullptr, 0.0));  // no speed
  EXPECT_EQ(kMoveRejected, rig.Run({}, &kNone, 90.0));                             // no axis
  // Updates step a move too, but deliver no scan point.
  int delivered = 0;
  rig.machine->OnScanPoint([&delivered](int32_t) { ++delivered; });
  rig.Start({1.0, 0.0, 0.0}, nullptr, 0.0);
  for (int i = 0; i < 3; ++i) {
    rig.ps->Update();
  }
  EXPECT_FALSE(rig.machine->Tip().IsEqual(to, 0.0));  // it moved
  EXPECT_EQ(0, delivered);
  rig.machine->OnScanPoint(nullptr);
}

}  // namespace
}  // namespace vexa_sim_test
