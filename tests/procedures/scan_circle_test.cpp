// ScanCircle on the simulated machine: the scan command and the pre-move of a slow scan.
#include "src/procedures/scan_circle.h"

#include "tests/procedures/procedure_fixture.h"

namespace ombrixdc {

namespace {

// The scans run on a RunContext taken from a prepared component: the component itself takes no
// part. The faults a scan meets are rows of the fault matrix.
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
  IgnoringReporter report;
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

TEST_F(ScanCircleTest, RawFilesThatCannotBeWritten_FailWithError6) {
  component->SaveRawData.Set(1);
  component->RunDirectory.Set((folder.Path() / "missing").string());
  ScanOutput out;
  EXPECT_EQ(Scan(ScanKind::Slow, &out), 6);
  EXPECT_TRUE(out.profile.radii.IsEmpty());
}

}  // namespace ombrixdc
