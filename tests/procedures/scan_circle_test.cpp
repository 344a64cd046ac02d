// ScanCircle and ReturnToStart on the simulated machine: the scan command, the pre-move of a
// slow scan, the return onto the start position, the raw scan files, and the time limits of
// moves and scans.
#include "src/procedures/scan_circle.h"

#include <gmock/gmock.h>

#include <optional>
#include <tuple>

#include "src/component/run_reporter.h"
#include "src/procedures/moves.h"
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
    // The controller lock, held as the run's worker holds it around a procedure.
    LONG locked = 0;
    link->getLock(0, &locked);
    ASSERT_EQ(locked, 1);
  }
  ScanResult Scan(ScanKind scan, double speed) {
    RunResults results;
    ComponentRunReporter report(*component, results);
    return ScanCircle(component->MakeRunContext(), report, scan, speed);
  }
};

constexpr double kDeg = MA_PI / 180.0;

const CMaPoint kStart(0.0, 10.0, 0.0);
const int32_t kCw = E_OMBRIX_DC_CIRCLE_CLOCKWISE_SCAN;
const int32_t kAcw = E_OMBRIX_DC_CIRCLE_ANTICLOCKWISE_SCAN;
const CMaPoint kTenDegreesShort(10.0 * std::sin(10 * kDeg), 10.0 * std::cos(10 * kDeg), 0.0);

}  // namespace

// The scan command runs the tip centre inside a bore and outside a boss, about the feature
// frame's origin and +z axis, with the reserved values the controller expects; a slow scan
// starts on +Y, after a pre-move by DCStartAngle beyond 30 degrees, a fast scan DCStartAngle
// less 12 degrees from it, against the scan's direction. The radius measured is the feature's.
// (A scan about another axis than +z fails the fault matrix's runs and the raw files' replay.)
TEST_F(ScanCircleTest, ScanCommand_FollowsDCStartAngleDirectionAndBoreOrBoss) {
  // The scan, its direction, DCStartAngle, bore or boss; the rotation before the scan and the
  // scan's start angle, in degrees.
  const std::tuple<ScanKind, int32_t, double, int32_t, std::optional<double>, double> cases[] = {
      {ScanKind::Slow, kCw, 30.0, 0, std::nullopt, 90.0},
      {ScanKind::Slow, kCw, 45.0, 0, 15.0, 90.0},
      {ScanKind::Slow, kAcw, 45.0, 0, -15.0, 90.0},
      {ScanKind::Fast, kCw, 30.0, 0, std::nullopt, 72.0},
      {ScanKind::Fast, kAcw, 30.0, 1, std::nullopt, 108.0},
      {ScanKind::Fast, kCw, 45.0, 1, std::nullopt, 57.0},
      {ScanKind::Fast, kAcw, 45.0, 0, std::nullopt, 123.0},
  };
  ComPtr<RecordingMove> moves = WatchMoves();
  for (const auto& [scan, direction, dcStartAngle, boss, preMove, startAngle] : cases) {
    component->ScanDirection.Set(direction);
    component->DCStartAngle.Set(dcStartAngle);
    component->BoreOrBoss.Set(boss);
    const size_t movesBefore = moves->Moves().size();
    const int32_t locksBefore = machine->LocksGranted();
    const double speed = scan == ScanKind::Slow ? 5.0 : 50.0;
    const ScanResult r = Scan(scan, speed);
    EXPECT_EQ(r.step.error.Recorded(), 0);
    const vexa_sim::CircleScanRequest c = *machine->LastScan();
    EXPECT_EQ(std::tie(c.startAngle, c.pathDiameter, c.boreOrBoss, c.tipDiameter, c.deflection,
                       c.speed, c.bufferPitch),
              std::make_tuple(startAngle, boss ? 22.0 : 18.0, static_cast<BYTE>(boss), 2.0, 0.3,
                              speed, 0.1));
    EXPECT_TRUE(c.centre.IsEqual(CMaPoint(0.0, 0.0, 0.0), 0.0));
    EXPECT_EQ(std::tie(c.reserved1, c.reserved2, c.reserved3, c.reserved4, c.reserved5),
              std::make_tuple(0.0, 0.0, 0.0, 0.1, 1.0));
    ASSERT_GT(r.output.profile.radii.GetSize(), 100u);
    EXPECT_NEAR(r.output.profile.radii[0], 10.0, 0.05);
    const auto made = moves->Moves();
    ASSERT_EQ(made.size() - movesBefore, preMove ? 1u : 0u);
    if (preMove) {
      EXPECT_TRUE(made.back().rotation);
      EXPECT_DOUBLE_EQ(made.back().angle, *preMove);
      EXPECT_EQ(made.back().speed, 50.0);
      EXPECT_EQ(machine->LocksGranted(), locksBefore + 1);  // given up and taken back
    }
    EXPECT_TRUE(machine->LockHeld());
  }
}

TEST_F(ScanCircleTest, RawFilesThatCannotBeWritten_FailWithError6) {
  component->SaveRawData.Set(1);
  component->RunDirectory.Set((folder.Path() / "missing").string());
  const ScanResult r = Scan(ScanKind::Slow, 5.0);
  EXPECT_EQ(r.step.error.Recorded(), 6);
  EXPECT_TRUE(r.output.profile.radii.IsEmpty());
}

TEST_F(ScanCircleTest, ReturnToStart_RotatesOntoTheStartAndMovesStraightWhenStillFarOff) {
  // Where the slow scan left the probe (the start is (0, 10, 0)), the scan direction, whether a
  // rotation fails; the rotation (degrees), whether a straight move follows, the error, where
  // the probe ends unless a move failed, and the measuring unit (1 inches).
  const std::tuple<const char*, CMaPoint, int32_t, bool, double, bool, int32_t, CMaPoint, int32_t>
      cases[] = {
          {"quarter turn short, clockwise", {10, 0, 0}, kCw, false, 90.0, false, 0, kStart, 0},
          {"quarter turn short, anticlockwise", {10, 0, 0}, kAcw, false, 90.0, false, 0, kStart, 0},
          {"quarter turn beyond", {-10, 0, 0}, kCw, false, -90.0, false, 0, kStart, 0},
          {"at the start", kStart, kCw, false, 0.0, false, 0, kStart, 0},
          {"exactly 2.0 outside", {0, 12, 0}, kCw, false, 0.0, false, 0, {0, 12, 0}, 0},
          {"2.5 outside", {0, 12.5, 0}, kCw, false, 0.0, true, 0, kStart, 0},
          {"0.5 in outside on an inch machine", {0, 10.5, 0}, kCw, false, 0.0, true, 0, kStart, 1},
          {"rotation fails far from the start", {-10, 0, 0}, kCw, true, -90.0, true, 0, kStart, 0},
          {"rotation fails near the start", kTenDegreesShort, kCw, true, 10.0, false, 4, {}, 0},
      };
  for (const auto& [name, tip, direction, rotationFails, angle, linear, error, end, unit] : cases) {
    Restart();
    component->StartPosition.Set(kStart);
    component->ScanDirection.Set(direction);
    component->MeasuringUnit.Set(unit);
    machine->SetTip(tip);
    ComPtr<RecordingMove> moves = WatchMoves();
    moves->onStart = [&](size_t, bool rotation) {
      machine->FailMoves(rotationFails && rotation ? vexa_sim::kMoveStopped : 0);
    };

    const StepResult returned = ReturnToStart(component->MakeRunContext());

    const auto made = moves->Moves();
    ASSERT_EQ(made.size(), linear ? 2u : 1u) << name;
    EXPECT_TRUE(made[0].rotation) << name;
    EXPECT_NEAR(made[0].angle, angle, 1e-9) << name;
    EXPECT_THAT(made, testing::Each(testing::Field(&vexa_sim::MoveRequest::speed, 50.0))) << name;
    if (linear) {
      EXPECT_FALSE(made[1].rotation) << name;
      EXPECT_EQ(made[1].target.DistanceTo(kStart), 0.0) << name;
    }
    EXPECT_EQ(returned.error.Recorded(), error) << name;
    EXPECT_EQ(returned.IsCompleted(), error == 0) << name;
    EXPECT_EQ(machine->LockHeld(), error == 0) << name;
    if (error != 4) {
      EXPECT_LT(machine->Tip().DistanceTo(end), 1e-9) << name;
    }
  }
}

// A real run's scans saved with SaveRawData and replayed offline give the same results.
TEST_F(ProcedureTest, RawFiles_ReplayedOffline_GiveTheResultsOfTheRealRun) {
  PrepareRun();
  component->SaveRawData.Set(1);
  ASSERT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_LEARNING).back(), "complete 1");
  const PublishedRunResults online = component->Results();
  const auto lines = [&](const char* name) {
    const std::string text = FileText(RunDir() / name);
    return std::count(text.begin(), text.end(), '\n');
  };
  EXPECT_EQ(lines("ScanSlow.dat"), lines("ProbeSlow.dat"));
  EXPECT_EQ(lines("ScanFast.dat"), lines("ProbeFast.dat"));

  // Offline: no machine, the same files. System.dat is missing: the default (same) frame.
  component->SaveRawData.Set(0);
  component->OfflineTesting.Set(1);
  EXPECT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_LEARNING).back(), "complete 1");
  const PublishedRunResults replay = component->Results();
  EXPECT_LT(replay->slowCentre.DistanceTo(online->slowCentre), 1e-12);
  EXPECT_LT(replay->fastCentre.DistanceTo(online->fastCentre), 1e-12);
  for (int32_t type = 0; type < kDataTypeCount; ++type) {
    EXPECT_LE(LargestDifference(replay->dataSets[type], online->dataSets[type]), 1e-12) << type;
  }
}

// A move's or scan's limit grows with its expected duration, capped at an hour of it.
TEST(RunTimeLimits, BasePlusFactorTimesTheExpectedDuration) {
  const RunTimeLimits limits{1000, 2.5};
  const std::pair<double, int64_t> cases[] = {
      {0.0, 1000}, {-4.0, 1000}, {2.0, 6000}, {3600.0, 9'001'000}, {1e9, 9'001'000}};
  for (const auto& [seconds, milliseconds] : cases) {
    EXPECT_EQ(limits.For(seconds).count(), milliseconds) << seconds;
  }
}

}  // namespace ombrixdc
