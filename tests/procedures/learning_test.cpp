// Whole runs on the simulated machine: the events of learning, compensated and AUTO runs, the
// checkpoints an abort is seen at, and the runs that must not leave a map behind.
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
    if (machine->ScansStarted() == 2)
      machine->SetExtendedStatus(1, 0x00);
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
    if (index == 0)
      speeds.push_back(machine->LastScan()->speed);
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
                          (c.when == When::DuringFastScan && scan == 2)))
        component->Abort();
    });
    // Move 0 turns the probe before the slow scan, move 1 brings it back to the start.
    moves->onStart = [&](size_t index, bool) {
      if (c.when == When::DuringReturnToStart && index == 1)
        component->Abort();
    };
    if (c.when == When::BeforeTheRun)
      component->Abort();

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
// compensated procedure (requested here as the run announces the scan).
TEST_F(OfflineRunTest, Abort_AfterEachReplayedScan_EndsTheRunAsAborted) {
  struct AbortOn : RecordingSink {
    CircleDCComponent* component;
    int32_t status;
    void OnStatusChange(int32_t s) override {
      RecordingSink::OnStatusChange(s);
      if (s == status)
        component->Abort();
    }
  };
  const std::pair<int32_t, Texts> cases[] = {
      {2, {"status 1", "status 2", "status 6", "complete 1"}},
      {3, {"status 1", "status 2", "status 3", "status 6", "complete 1"}},
      {4, {"status 1", "status 4", "status 6", "complete 1"}},
  };
  for (const auto& [status, events] : cases) {
    if (status == 4) {
      ASSERT_EQ(RunOffline(E_OMBRIX_DC_CIRCLE_LEARNING).back(), "complete 1");
    }
    const auto names = MapFiles();
    component->DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW].Set(DataSet{});
    auto aborting = std::make_shared<AbortOn>();
    aborting->component = component.get();
    aborting->status = status;
    component->Sinks.DisconnectAll();
    component->Sinks.Connect(aborting);
    component->Learning.Set(status == 4 ? E_OMBRIX_DC_CIRCLE_NO_LEARNING
                                        : E_OMBRIX_DC_CIRCLE_LEARNING);
    StartPosition();
    component->PerformCircle();
    component->WaitForRuns();
    EXPECT_EQ(aborting->Texts(), events) << status;
    EXPECT_EQ(component->GetLastError(), 0u) << status;
    EXPECT_EQ(MapFiles(), names) << status;  // no map written
    // Slow is learnt before the learning's fast scan; an aborted compensated run reads no map.
    EXPECT_EQ(component->DataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW].Get().radii.IsEmpty(), status != 3)
        << status;
  }
}

// A circle data file name taken by a folder: the pair cannot be stored.
TEST_F(OfflineRunTest, MapPairThatCannotBeCreated_FailsWithError6) {
  fs::create_directories(folder.Path() / "Default" / "_circle1.rsd" / "in-the-way");
  EXPECT_EQ(RunOffline(E_OMBRIX_DC_CIRCLE_LEARNING),
            (Texts{"status 1", "status 2", "status 3", "status 7", "complete 0"}));
  EXPECT_EQ(component->GetLastError(), 0x83100006u);
  EXPECT_EQ(component->GetCurrentCircleStatus(), E_OMBRIX_DC_CIRCLE_ERROR);
  EXPECT_FALSE(fs::exists(RunDir() / "_circle1.rsm"));
  EXPECT_TRUE(fs::is_directory(RunDir() / "_circle1.rsd"));
}

}  // namespace ombrixdc
