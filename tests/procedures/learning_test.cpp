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
    EXPECT_EQ(RunToEnd(step.learning), step.events) << "Learning " << step.learning;
    EXPECT_EQ(component->GetLastError(), 0u);
    EXPECT_EQ(MapFiles(), kPair1);
    EXPECT_FALSE(machine->LockHeld());
  }
  EXPECT_EQ(machine->ScansStarted(), 6);
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
  EXPECT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_LEARNING), kLearnt);
  EXPECT_EQ(speeds, (std::vector<double>{5.0, 50.0}));
  EXPECT_EQ(component->FastSpeed.Get(), 50.0);
  EXPECT_NE(ReadWholeFile(RunDir() / "_circle1.rsm").find("FastSpeed:  50.000000\r\n"),
            std::string::npos);
}

}  // namespace ombrixdc
