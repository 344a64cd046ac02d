// Whole runs on the simulated machine: the events of learning, compensated and AUTO runs, the
// checkpoints an abort is seen at, and the runs that must not leave a map behind.
#include "src/procedures/procedures.h"
#include "tests/procedures/procedure_fixture.h"

namespace ombrixdc {

namespace {

const Texts kLearnt = {"status 1", "status 2", "status 3", "status 5", "complete 1"};
const Texts kCompensated = {"status 1", "status 4", "status 5", "complete 1"};
const std::vector<std::string> kPair1 = {"_circle1.rsd", "_circle1.rsm"};

}  // namespace

TEST_F(ProcedureTest, Runs_LearnOnceThenReplayTheStoredMap) {
  PrepareRun();
  struct Step {
    int32_t learning;
    Texts events;
  };
  const Step steps[] = {
      {E_OMBRIX_DC_CIRCLE_AUTO, kLearnt},       // no map yet: learns map 1
      {E_OMBRIX_DC_CIRCLE_AUTO, kCompensated},  // finds map 1
      {E_OMBRIX_DC_CIRCLE_NO_LEARNING, kCompensated},
      {E_OMBRIX_DC_CIRCLE_LEARNING, kLearnt},  // learns again, replacing map 1
  };
  for (const Step& step : steps) {
    EXPECT_EQ(RunOnline(step.learning), step.events) << "Learning " << step.learning;
    EXPECT_EQ(component->GetLastError(), 0u);
    EXPECT_EQ(MapFiles(), kPair1);
    EXPECT_FALSE(machine->LockHeld());
  }
  EXPECT_EQ(machine->ScansStarted(), 6);
}

TEST_F(ProcedureTest, FailedFastScan_EndsTheLearningRunWithoutStoringAMap) {
  PrepareRun();
  // The controller does not report the second (fast) scan finished properly.
  machine->OnScanPoint([this](int32_t) {
    if (machine->ScansStarted() == 2) {
      machine->SetExtendedStatus(1, 0x00);
    }
  });
  EXPECT_EQ(RunOnline(E_OMBRIX_DC_CIRCLE_LEARNING),
            (Texts{"status 1", "status 2", "status 3", "status 7", "complete 0"}));
  EXPECT_EQ(component->GetLastError(), 0x83100005u);
  EXPECT_EQ(component->GetCurrentCircleStatus(), E_OMBRIX_DC_CIRCLE_ERROR);
  EXPECT_TRUE(MapFiles().empty());
  EXPECT_TRUE(component->DataSets[E_OMBRIX_DC_CIRCLE_DATA_FAST].Get().radii.IsEmpty());
}

TEST_F(ProcedureTest, CalibrationMode_ScansFastAt50) {
  PrepareRun();
  component->Mode.Set(E_OMBRIX_DC_CIRCLE_MODE_CAL_FORM);
  component->MaxScanSpeed.Set(80.0);
  std::vector<double> speeds;  // written on the run's thread, read after it is joined
  machine->OnScanPoint([&](int32_t index) {
    if (index == 0) {
      speeds.push_back(machine->LastScan()->speed);
    }
  });
  EXPECT_EQ(RunOnline(E_OMBRIX_DC_CIRCLE_LEARNING), kLearnt);
  EXPECT_EQ(speeds, (std::vector<double>{5.0, 50.0}));
  EXPECT_EQ(component->FastSpeed.Get(), 50.0);
  EXPECT_NE(ReadWholeFile(RunDir() / "_circle1.rsm").find("FastSpeed:  50.000000\r\n"),
            std::string::npos);
}

// An abort is seen at the procedure's checkpoints: the machine is stopped, the run ends as
// aborted with no error, and no map is stored.
TEST_F(ProcedureTest, Abort_AtEachCheckpoint_StopsTheMachineAndStoresNoMap) {
  enum class When { BeforeTheRun, DuringSlowScan, DuringReturnToStart, DuringFastScan };
  struct Case {
    const char* name;
    When when;
    Texts events;
    int32_t scans;
  };
  const Case cases[] = {
      {"before the run", When::BeforeTheRun, {"status 1", "status 6", "complete 1"}, 0},
      {"during the slow scan",
       When::DuringSlowScan,
       {"status 1", "status 2", "status 6", "complete 1"},
       1},
      {"during the return to the start",
       When::DuringReturnToStart,
       {"status 1", "status 2", "status 6", "complete 1"},
       1},
      {"during the fast scan",
       When::DuringFastScan,
       {"status 1", "status 2", "status 3", "status 6", "complete 1"},
       2},
  };
  PrepareRun();
  for (const Case& c : cases) {
    machine = std::make_shared<vexa_sim::SimulatedMachine>();
    link = vexa_sim::MakeSimulatedLink(machine);
    Initialise();
    ComPtr<RecordingMove> moves = WatchMoves();
    machine->OnScanPoint([&](int32_t index) {
      const int32_t scan = machine->ScansStarted();
      if (index == 50 && ((c.when == When::DuringSlowScan && scan == 1) ||
                          (c.when == When::DuringFastScan && scan == 2))) {
        component->Abort();
      }
    });
    // Move 0 turns the probe before the slow scan, move 1 brings it back to the start.
    moves->onStart = [&](size_t index, bool) {
      if (c.when == When::DuringReturnToStart && index == 1) {
        component->Abort();
      }
    };
    if (c.when == When::BeforeTheRun) {
      component->Abort();
    }

    EXPECT_EQ(RunOnline(E_OMBRIX_DC_CIRCLE_LEARNING), c.events) << c.name;
    EXPECT_EQ(machine->ScansStarted(), c.scans) << c.name;
    EXPECT_EQ(machine->StopsRequested(), 1) << c.name;
    EXPECT_EQ(component->GetLastError(), 0u) << c.name;
    EXPECT_EQ(component->AbortRequested.load(), 0) << c.name;
    EXPECT_FALSE(machine->LockHeld()) << c.name;
    EXPECT_TRUE(MapFiles().empty()) << c.name;
  }
}

// Offline the abort is seen right after each replayed scan, in the learning and in the
// compensated procedure (requested as the procedure announces the scan). The procedures run
// here on a RunContext of their own, with no component and no controller.
TEST(OfflineProcedures, Abort_AfterEachReplayedScan_EndsTheRunAsAborted) {
  TempFolder folder;
  const fs::path data = fs::path(__FILE__).parent_path() / "data" / "offline-learning";
  for (const char* name : {"ScanSlow.dat", "ScanFast.dat"}) {
    fs::copy_file(data / name, folder.Path() / name);
  }
  RunContext run;
  run.runFolder = folder.Path();
  run.offlineTesting = true;
  run.mapGridStartAngle = kMapGridStartAngle;
  MapFileHeader& f = run.feature;
  f.radius = 8.0;
  f.tipRadius = 1.5;
  f.scanDeflection = 0.3;
  f.slowSpeed = 5.0;
  f.fastSpeed = 30.0;
  f.filterNumber = 20;
  f.filterMethod = 1;
  f.mapPitch = 0.5;
  f.bufferPitch = 0.05;
  f.dcStartAngle = 30.0;

  RecordingReporter learnt;
  ASSERT_TRUE(RunLearning(run, learnt).IsCompleted());
  ASSERT_TRUE(fs::exists(folder.Path() / "_circle1.rsm"));
  run.mapNumber = 1;

  const std::pair<int32_t, std::vector<int32_t>> cases[] = {
      {2, {2}},
      {3, {2, 3}},
      {4, {4}},
  };
  for (const auto& [status, statuses] : cases) {
    RecordingReporter report;
    report.abortAtStatus = status;
    const fs::file_time_type mapWritten = fs::last_write_time(folder.Path() / "_circle1.rsm");
    const StepResult result = status == 4 ? RunCompensated(run, report) : RunLearning(run, report);
    EXPECT_EQ(result.end, StepEnd::Aborted) << status;
    EXPECT_EQ(report.statuses, statuses) << status;
    EXPECT_FALSE(fs::exists(folder.Path() / "_circle2.rsm")) << status;  // no map written
    EXPECT_EQ(fs::last_write_time(folder.Path() / "_circle1.rsm"), mapWritten) << status;
    // Slow is learnt before the learning's fast scan; an aborted compensated run reads no map.
    EXPECT_EQ(report.dataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW].radii.IsEmpty(), status != 3) << status;
  }
}

}  // namespace ombrixdc
