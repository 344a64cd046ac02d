#include <cmath>
#include <optional>
#include <tuple>

#include "platform/com/class_registry.h"
#include "tests/component/component_fixture.h"

namespace ombrixdc {

TEST_F(ComponentTest, InitialiseObject_ReportsAClassThatCannotBeCreated) {
  // A later registration takes precedence: make the stop object's class fail.
  const DWORD cookie = RegisterInProcessClass(CLSID_Vexa_stop, [] { return nullptr; });
  LONG success = 1;
  EXPECT_TRUE(FAILED(component->InitialiseObject(link.Get(), nullptr, &success)));
  EXPECT_EQ(success, 0);
  EXPECT_TRUE(component->AxisStatus);  // objects created before the failure are kept
  CoRevokeClassObject(cookie);
}

// Every way InitialiseObject and GetStartPosition fail: success 0, status not initialised, and
// the error GetLastError then gives; a missing map pitch also refuses the next run.
TEST_F(ComponentTest, StartPositionFailures) {
  // What goes wrong, and the error it gives.
  const std::tuple<const char*, uint32_t, std::function<void()>> cases[] = {
      {"no settings file", 0x83100001u, [&] { component->IniFilepath.Set(std::nullopt); }},
      {"an unread error is kept", 0x83100009u,
       [&] {
         component->LastErrorNumber = 9;
         component->Status = E_OMBRIX_DC_CIRCLE_INITIALISED;
       }},
      {"no map pitch", 0x83100002u,
       [&] {
         folder.Write("settings.ini",
                      "[KT410]\nKnownPartScanAcceleration=1\n[OmbrixDC]\nBufferPitch=1\n");
       }},
      {"offline, unreadable System.dat", 0x83100001u,
       [&] {
         std::filesystem::create_directories(folder.Path() / "Default");
         folder.Write("Default/System.dat", "MeasuringUnit (0 mm, 1 inches): mm\r\n");
         component->OfflineTesting.Set(1);
       }},
  };
  LONG success = 1;
  EXPECT_EQ(component->InitialiseObject(nullptr, nullptr, &success), S_FALSE);
  EXPECT_EQ(success, 0);
  EXPECT_EQ(component->GetLastError(), 0x83100001u);
  for (const auto& [name, error, change] : cases) {
    Restart();
    Initialise();
    SetGoodParameters();
    change();
    double x = 1, y = 1, z = 1;
    success = 1;
    EXPECT_EQ(component->GetStartPosition(&x, &y, &z, &success), S_FALSE) << name;
    EXPECT_EQ(success, 0) << name;
    EXPECT_EQ(x, 0.0) << name;
    EXPECT_EQ(component->GetCurrentCircleStatus(), E_OMBRIX_DC_CIRCLE_NOT_INITIALISED) << name;
    EXPECT_EQ(component->GetLastError(), error) << name;
    if (error == 0x83100002u) {
      EXPECT_TRUE(component->EnterProbeOffsets(0, 0, 0));
      EXPECT_EQ(component->PerformCircle(), S_FALSE);
      EXPECT_EQ(component->GetLastError(), 0x83100002u);
    }
  }
}

// The probe, head and feature frame come from the controller online, and offline from the run
// directory's System.dat with the tolerances it holds; online, the offsets entered are kept.
// The start position is the geometry's (the procedures' test) for the settings file's start
// angle, the bore or boss and the direction, and is kept as GetStartPosition gives it.
TEST_F(ComponentTest, GetStartPosition_TakesItsInputsFromControllerOrSystemDatAndSettings) {
  vexa_sim::MachineConfig config;  // the feature's normal left at +Z
  config.featureCentre = CMaPoint(100, 50, -20);
  config.featureXaxis = CMaPoint(0, 1, 0);
  config.probeType = 10;
  config.measuringUnit = 1;
  config.headFlag = 1;
  config.headAngleA = 45.0;
  config.headAngleB = -90.0;
  machine = std::make_shared<vexa_sim::SimulatedMachine>(config);
  link = vexa_sim::MakeSimulatedLink(machine);
  Initialise();
  SetGoodParameters();
  std::filesystem::create_directories(folder.Path() / "Default");
  folder.Write("Default/System.dat",
               "MeasuringUnit (0 mm, 1 inches): 0\r\nHeadA: 10\r\nHeadB: 20\r\nProbe: 4\r\n"
               "Offsets: 0.5 -0.25 1\r\nCentre: 1 2 3\r\nXaxis: 1 0 0\r\nNormal: 0 0 -1\r\n"
               "ToleranceCentre: 0.5\r\nToleranceRadius: 0.25\r\nToleranceSpeed: 2\r\n"
               "ToleranceAcceleration: 3\r\nToleranceStartAngle: 4\r\nToleranceFine: 0.001\r\n"
               "PositionalTolerance: 0.05\r\n");
  EXPECT_TRUE(component->EnterProbeOffsets(9, 9, 9));
  const auto taken = [&](const CMaPoint& centre, const CMaPoint& xAxis, const CMaPoint& normal) {
    EXPECT_EQ(StartPosition().DistanceTo(component->StartPosition.Get()), 0.0);
    EXPECT_LT(component->Centre.Get().DistanceTo(centre), 1e-12);
    EXPECT_LT(component->Xaxis.Get().DistanceTo(xAxis), 1e-12);
    EXPECT_LT(component->Normal.Get().DistanceTo(normal), 1e-12);
    return std::tuple(component->ProbeType.Get(), component->MeasuringUnit.Get(),
                      component->HeadAngleA.Get(), component->HeadAngleB.Get(),
                      component->ProbeOffsets.Get()->y());
  };
  EXPECT_EQ(taken(config.featureCentre, config.featureXaxis, config.featureNormal),
            std::tuple(10, 1, 45.0, -90.0, 9.0));

  folder.Write("settings.ini", SettingsText(folder.Path(), "BufferPitch=1\r\nDCStartAngle=30\r\n"));
  component->BoreOrBoss.Set(E_OMBRIX_DC_CIRCLE_BOSS);
  component->ScanDirection.Set(E_OMBRIX_DC_CIRCLE_ANTICLOCKWISE_SCAN);
  component->OfflineTesting.Set(1);
  EXPECT_EQ(taken({1, 2, 3}, {1, 0, 0}, {0, 0, -1}), std::tuple(4, 0, 10.0, 20.0, -0.25));
  EXPECT_LT(component->StartPosition.Get().DistanceTo({-6.5, 13.0 * std::sqrt(3.0) / 2.0, 0.0}),
            1e-9);
  EXPECT_EQ(std::tuple(ProcessMapMatchTolerances().Get().fine,
                       ProcessMapMatchTolerances().Get().acceleration,
                       ProcessRunControlState().positionalTolerance.load()),
            std::tuple(0.001, 3.0, 0.05));
}

// A data set with radii but no angles fails with error 7 and leaves the outputs alone. (The
// points, centres and fitted circles GetData gives: the Python module's test against the
// example's data sets file; types out of range: the client tests.)
TEST(GetData, ASetWithoutAnglesFails_AndLeavesTheOutputsAlone) {
  CircleDCComponent c;
  RunResults results;
  results.dataSets[E_OMBRIX_DC_CIRCLE_DATA_FAST].radii.Add(1.0);
  CircleDCComponentTestAccess::PublishResults(c, results);
  DataSetPoints points;
  points.form = 42.0;
  LONG success = -1;
  EXPECT_EQ(c.GetData(E_OMBRIX_DC_CIRCLE_DATA_FAST, &points, &success), S_OK);
  EXPECT_EQ(success, 0);
  EXPECT_EQ(c.GetLastError(), 0x83100007u);
  EXPECT_EQ(points.form, 42.0);
  EXPECT_TRUE(points.x.empty());
}

}  // namespace ombrixdc
