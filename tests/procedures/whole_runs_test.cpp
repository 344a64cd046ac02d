// Whole runs on the simulated machine: the events of learning, compensated and AUTO runs, and
// raw scan files: a real run's scans saved with SaveRawData and replayed offline give the same
// results; damaged raw files in an offline run.
#include "src/procedures/procedures.h"
#include "tests/procedures/procedure_fixture.h"

namespace ombrixdc {

TEST_F(ProcedureTest, Runs_LearnOnceThenReplayTheStoredMap) {
  const Texts kLearnt = {"status 1", "status 2", "status 3", "status 5", "complete 1"};
  const Texts kCompensated = {"status 1", "status 4", "status 5", "complete 1"};
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
    EXPECT_EQ(MapFiles(), (Texts{"_circle1.rsd", "_circle1.rsm"}));
    EXPECT_FALSE(machine->LockHeld());
  }
  EXPECT_EQ(machine->ScansStarted(), 6);
}

// A map matched within the radius tolerance (1.0) was learnt on another angle grid: 100 grid
// angles at radius 8, 94 at 7.5, 107 at 8.5. Applied at each run's own angles it corrects a
// bore half a millimetre smaller or larger about as well as the bore it was learnt on. The
// bore is round, so that a form is the machine's error alone.
TEST_F(ProcedureTest, AMapLearntAtOneRadius_CorrectsRunsHalfAMillimetreEitherSide) {
  vexa_sim::MachineConfig roundBore;
  roundBore.feature.lobes.clear();
  machine = std::make_shared<vexa_sim::SimulatedMachine>(roundBore);
  link = vexa_sim::MakeSimulatedLink(machine);
  PrepareRun();
  component->ModeParameter.Set(70.0);  // below 2 * DCSpeedFactor 5 * radius at every radius
  component->FeatureRadius.Set(8.0);
  machine->SetTip(StartPosition());
  ASSERT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_LEARNING).back(), "complete 1");
  const auto form = [&](EDataType type) {
    DataSetPoints points;
    LONG success = 0;
    component->GetData(type, &points, &success);
    EXPECT_EQ(success, 1) << type;
    return points.form;
  };
  double correctedAtLearnt = 0.0;
  for (const double radius : {8.0, 7.5, 8.5}) {
    component->FeatureRadius.Set(radius);
    StartPosition();
    EXPECT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_NO_LEARNING),
              (Texts{"status 1", "status 4", "status 5", "complete 1"}))
        << radius;
    EXPECT_EQ(component->GetLastError(), 0u) << radius;
    const double fast = form(E_OMBRIX_DC_CIRCLE_DATA_FAST);
    const double corrected = form(E_OMBRIX_DC_CIRCLE_DATA_CORRECTED);
    std::printf("radius %.1f: fast form %.2f um, corrected form %.2f um\n", radius, fast * 1e3,
                corrected * 1e3);
    if (radius == 8.0) {
      correctedAtLearnt = corrected;
    }
    EXPECT_LT(corrected, 1.5 * correctedAtLearnt + 0.0002) << radius;
    EXPECT_LT(corrected, 0.5 * fast) << radius;
  }
  EXPECT_EQ(MapFiles(), (Texts{"_circle1.rsd", "_circle1.rsm"}));
}

TEST_F(ProcedureTest, RawFiles_ReplayedOffline_GiveTheResultsOfTheRealRun) {
  PrepareRun();
  component->SaveRawData.Set(1);
  ASSERT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_LEARNING).back(), "complete 1");
  const PublishedRunResults online = component->Results();
  for (const char* name : {"ScanSlow.dat", "ProbeSlow.dat", "ScanFast.dat", "ProbeFast.dat"}) {
    EXPECT_TRUE(fs::exists(RunDir() / name)) << name;
  }
  const auto lines = [&](const char* name) {
    const std::string text = ReadWholeFile(RunDir() / name);
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
    const DataSet& replayed = replay->dataSets[type];
    ASSERT_EQ(replayed.radii.GetSize(), online->dataSets[type].radii.GetSize()) << type;
    for (size_t i = 0; i < replayed.radii.GetSize(); ++i) {
      ASSERT_NEAR(replayed.radii[i], online->dataSets[type].radii[i], 1e-12) << type << " " << i;
    }
  }
}

// Offline runs whose raw scan files are damaged.
TEST_F(OfflineRunTest, DamagedRawFiles) {
  struct Case {
    const char* name;
    std::function<void(const fs::path& runDir)> damage;
    Texts events;
    uint32_t error;
  };
  const Case cases[] = {
      {"fast scan file missing",
       [](auto& d) { fs::remove(d / "ScanFast.dat"); },
       {"status 1", "status 2", "status 3", "status 7", "complete 0"},
       0x83100006u},
      {"slow scan file empty",
       [](auto& d) { std::ofstream(d / "ScanSlow.dat", std::ios::trunc); },
       {"status 1", "status 2", "status 7", "complete 0"},
       0x83100005u},
      {"fast scan file cut off in its last line",
       [](auto& d) {
         const std::string text = ReadWholeFile(d / "ScanFast.dat");
         fs::resize_file(d / "ScanFast.dat", text.rfind('\n', text.size() - 3) + 31);
       },
       {"status 1", "status 2", "status 3", "status 5", "complete 1"},
       0u},
  };
  const fs::path data = fs::path(OMBRIXDC_SOURCE_DIR) / "tests/procedures/data/offline-learning";
  const fs::path runDir = folder.Path() / "Default";
  for (const Case& c : cases) {
    for (const char* name : {"ScanSlow.dat", "ScanFast.dat"}) {
      fs::copy_file(data / name, runDir / name, fs::copy_options::overwrite_existing);
    }
    for (const std::string& name : MapFiles()) {
      fs::remove_all(runDir / name);
    }
    c.damage(runDir);
    EXPECT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_LEARNING), c.events) << c.name;
    EXPECT_EQ(component->GetLastError(), c.error) << c.name;
    EXPECT_EQ(fs::exists(runDir / "_circle1.rsm"), c.error == 0) << c.name;
  }
}

}  // namespace ombrixdc
