// ScanCircle on the simulated machine: the scan command, the pre-move of a slow scan, the
// polling loop and the status checks that turn the controller's report into an error number.
#include "src/procedures/scan_circle.h"

#include "tests/procedures/procedure_fixture.h"

namespace ombrixdc {

namespace {

using vexa_sim::StatusFlag;

// The scans run on a RunContext taken from a prepared component, reporting to a recorder: the
// component itself takes no part.
class ScanCircleTest : public ProcedureTest {
 protected:
  void SetUp() override {
    ProcedureTest::SetUp();
    PrepareRun();
    component->FastSpeed.Set(50.0);
    HoldLock();
  }
  // The error the scan fails with (0 when it completed or was aborted).
  int32_t Scan(ScanKind scan, ScanOutput* out = nullptr) {
    const RunContext run = component->MakeRunContext();
    ScanResult result = ScanCircle(run, report, scan, scan == ScanKind::Slow ? 5.0 : 50.0);
    if (out) {
      *out = std::move(result.output);
    }
    return result.step.error;
  }
  RecordingReporter report;
  size_t Lines(const char* name) const {
    const std::string text = ReadWholeFile(RunDir() / name);
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  }
};

}  // namespace

TEST_F(ScanCircleTest, StartAngleAndPreMove_FollowDCStartAngleAndDirection) {
  struct Case {
    ScanKind scan;
    int32_t direction;
    double dcStartAngle;
    std::optional<double> preMove;  // rotation before the scan, degrees
    double startAngle;
  };
  const int32_t cw = E_OMBRIX_DC_CIRCLE_CLOCKWISE_SCAN, acw = E_OMBRIX_DC_CIRCLE_ANTICLOCKWISE_SCAN;
  const Case cases[] = {
      {ScanKind::Slow, cw, 30.0, std::nullopt, 90.0},
      {ScanKind::Slow, cw, 45.0, 15.0, 90.0},
      {ScanKind::Slow, acw, 45.0, -15.0, 90.0},
      {ScanKind::Fast, cw, 30.0, std::nullopt, 72.0},
      {ScanKind::Fast, acw, 30.0, std::nullopt, 108.0},
      {ScanKind::Fast, cw, 45.0, std::nullopt, 57.0},
      {ScanKind::Fast, acw, 45.0, std::nullopt, 123.0},
  };
  ComPtr<RecordingMove> moves = WatchMoves();
  for (const Case& c : cases) {
    component->ScanDirection.Set(c.direction);
    component->DCStartAngle.Set(c.dcStartAngle);
    const size_t movesBefore = moves->Moves().size();
    const int32_t locksBefore = machine->LocksGranted();
    EXPECT_EQ(Scan(c.scan), 0);
    EXPECT_DOUBLE_EQ(machine->LastScan()->startAngle, c.startAngle);
    const auto made = moves->Moves();
    ASSERT_EQ(made.size() - movesBefore, c.preMove ? 1u : 0u);
    if (c.preMove) {
      EXPECT_TRUE(made.back().rotation);
      EXPECT_DOUBLE_EQ(made.back().angle, *c.preMove);
      EXPECT_EQ(made.back().speed, 50.0);
      EXPECT_EQ(machine->LocksGranted(), locksBefore + 1);  // given up and taken back
    }
    EXPECT_TRUE(machine->LockHeld());
  }
}

TEST_F(ScanCircleTest, FailedPreMove_Gives4InError_AndARefusedLockTheLinksCode) {
  const LONG lockError = static_cast<LONG>(0x81600050u);
  const std::pair<std::function<void()>, int32_t> cases[] = {
      {[&] { machine->FailMoves(vexa_sim::kMoveStopped); }, 4},
      {[&] { machine->RefuseLock(lockError); }, lockError},
  };
  for (const auto& [fault, error] : cases) {
    fault();
    EXPECT_EQ(Scan(ScanKind::Slow), error);
    EXPECT_EQ(machine->ScansStarted(), 0);
    EXPECT_FALSE(machine->LockHeld());     // given up for the move and not taken back
    EXPECT_TRUE(report.statuses.empty());  // the run's worker records the failure
    machine->FailMoves(0);
    machine->RefuseLock(0);
    HoldLock();
  }
}

TEST_F(ScanCircleTest, ScanCommand_RunsTheTipCentreInsideABoreAndOutsideABoss) {
  for (auto [boreOrBoss, pathDiameter] : {std::pair{0, 18.0}, std::pair{1, 22.0}}) {
    component->BoreOrBoss.Set(boreOrBoss);
    ScanOutput out;
    EXPECT_EQ(Scan(ScanKind::Fast, &out), 0);
    const vexa_sim::CircleScanRequest scan = *machine->LastScan();
    EXPECT_DOUBLE_EQ(scan.pathDiameter, pathDiameter);
    EXPECT_EQ(scan.boreOrBoss, boreOrBoss);
    EXPECT_DOUBLE_EQ(scan.tipDiameter, 2.0);
    EXPECT_DOUBLE_EQ(scan.deflection, 0.3);
    EXPECT_DOUBLE_EQ(scan.speed, 50.0);
    EXPECT_DOUBLE_EQ(scan.bufferPitch, 0.1);
    // One revolution about the feature, the radius measured being the feature's.
    ASSERT_GT(out.profile.radii.GetSize(), 100u);
    EXPECT_NEAR(out.profile.radii[0], 10.0, 0.05);
  }
}

TEST_F(ScanCircleTest, EveryStatusFlag_GivesItsErrorNumber) {
  const std::pair<StatusFlag, uint32_t> table[] = {
      {StatusFlag::airPressureLow, 0x8160003E},
      {StatusFlag::crashSwitchActive, 0x8160003D},
      {StatusFlag::dataBufferOverflow, 0x81600047},
      {StatusFlag::emergencyStopActive, 0x8160003C},
      {StatusFlag::excessiveProbeDeflection, 0x81600048},
      {StatusFlag::illegalParameter, 10},
      {StatusFlag::limitSwitchOpenDuringMove, 0x81600045},
      {StatusFlag::markerHitDuringMove, 0x81600046},
      {StatusFlag::measuringDatumLost, 12},
      {StatusFlag::QRL_NotResponding, 0x8160003A},
      {StatusFlag::overspeedDetected, 0x81600041},
      {StatusFlag::probeHitDuringMove, 11},
      {StatusFlag::scaleReadingFailure, 0x8160003F},
      {StatusFlag::servoMotorsDisengaged, 0x81600040},
      {StatusFlag::timeoutDuringMoveOrScan, 0x81600038},
      {StatusFlag::xMotorOverdriven, 0x81600042},
      {StatusFlag::yMotorOverdriven, 0x81600043},
      {StatusFlag::zMotorOverdriven, 0x81600044},
  };
  ASSERT_EQ(std::size(table), static_cast<size_t>(StatusFlag::Count));
  for (const auto& [flag, number] : table) {
    machine->SetStatusFlag(flag, 1);
    EXPECT_EQ(static_cast<uint32_t>(Scan(ScanKind::Fast)), number) << static_cast<int>(flag);
    machine->SetStatusFlag(flag, 0);
  }
  // With several flags set the first in the controller's order decides: set them from the
  // last to the first, each newly set flag taking over.
  for (auto it = std::rbegin(table); it != std::rend(table); ++it) {
    machine->SetStatusFlag(it->first, 1);
    EXPECT_EQ(static_cast<uint32_t>(ControllerStatusCheck(component->AxisStatus.Get()).error),
              it->second);
  }
}

TEST_F(ScanCircleTest, ExtendedStatus_SecondByteDecides) {
  const std::pair<BYTE, uint32_t> table[] = {
      {0x10, 0},  {0x70, 0}, {0x20, 0x81600049}, {0x60, 0x81600049},
      {0x40, 13}, {0x00, 5}, {0x8F, 5},
  };
  for (const auto& [byte, number] : table) {
    machine->SetExtendedStatus(1, byte);
    EXPECT_EQ(static_cast<uint32_t>(Scan(ScanKind::Fast)), number) << int(byte);
  }
  machine->SetExtendedStatus(1, 0x10);
  machine->FailExtendedStatusRead(static_cast<LONG>(0x81600077u));
  EXPECT_EQ(static_cast<uint32_t>(Scan(ScanKind::Fast)), 0x81600077u);
}

TEST_F(ScanCircleTest, AbortDuringTheScan_StopsTheMachineAndEndsAbortedUnprepared) {
  machine->OnScanPoint([this](int32_t index) {
    if (index == 100) {
      report.abort = true;
    }
  });
  const RunContext run = component->MakeRunContext();
  const ScanResult result = ScanCircle(run, report, ScanKind::Fast, 50.0);
  const ScanOutput& out = result.output;
  EXPECT_EQ(result.step.end, StepEnd::Aborted);
  EXPECT_EQ(machine->StopsRequested(), 1);
  EXPECT_TRUE(out.profile.radii.IsEmpty());
  EXPECT_EQ(out.deflections.a.GetSize(), 101u);  // what was recorded before the abort
}

TEST_F(ScanCircleTest, Disengaging_GivesTheStatusCheckResult) {
  machine->OnScanPoint([this](int32_t index) {
    if (index == 100) {
      machine->SetExtendedStatus(1, 0x00);
      machine->Disengage(true);
    }
  });
  EXPECT_EQ(Scan(ScanKind::Fast), 5);
  machine->Disengage(false);
  machine->SetExtendedStatus(1, 0x10);
  machine->OnScanPoint([this](int32_t index) {
    if (index == 100) {
      machine->SetStatusFlag(StatusFlag::servoMotorsDisengaged, 1);
      machine->Disengage(true);
    }
  });
  EXPECT_EQ(static_cast<uint32_t>(Scan(ScanKind::Fast)), 0x81600040u);
}

TEST_F(ScanCircleTest, FailedTipRead_StopsRecordingWhileTheScanRunsOn) {
  component->SaveRawData.Set(1);
  EXPECT_EQ(Scan(ScanKind::Fast), 0);
  const size_t whole = Lines("ScanFast.dat");
  ASSERT_GT(whole, 400u);

  machine->FailTipReadsAfter(300);
  EXPECT_EQ(Scan(ScanKind::Fast), 5);  // too little of the circle to prepare
  EXPECT_EQ(Lines("ScanFast.dat"), 300u);
  EXPECT_EQ(Lines("ProbeFast.dat"), 300u);
  EXPECT_EQ(machine->ScansStarted(), 2);
  EXPECT_EQ(machine->StopsRequested(), 0);
}

TEST_F(ScanCircleTest, RawFilesThatCannotBeWritten_FailWithError6) {
  component->SaveRawData.Set(1);
  component->RunDirectory.Set((folder.Path() / "missing").string());
  ScanOutput out;
  EXPECT_EQ(Scan(ScanKind::Slow, &out), 6);
  EXPECT_TRUE(out.profile.radii.IsEmpty());
}

}  // namespace ombrixdc
