// The simulated controller as a client drives it: the link, axis status and move objects; what
// the machine reads when it scans (the path's geometry on an ideal machine, the real feature on a
// slow scan, the dynamic error the model adds on fast scans); and the INI files it reads (the
// client's settings, the machine description and the language files).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/class_registry.h"
#include "platform/com/object.h"
#include "platform/trivell/geometry.h"
#include "platform/vexa/dynamics_model.h"
#include "platform/vexa/machine_description.h"
#include "platform/vexa/simulated_machine.h"
#include "tests/support/temp_folder.h"

using namespace vexa_sim;
using Clock = std::chrono::steady_clock;

namespace {

// A simulated machine with a link and an axis position and status object, created the way a
// client creates them, and a client-style scan polling loop.
template <class I>
ComPtr<I> Create(REFCLSID clsid) {
  vexa_sim::RegisterSimulatedController();
  ComPtr<I> object;
  EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_ALL, InterfaceId<I>::value,
                                   object.ReleaseAndGetVoidAddressOf()));
  return object;
}

struct Rig {
  explicit Rig(vexa_sim::MachineConfig config = {})
      : machine(std::make_shared<vexa_sim::SimulatedMachine>(config)),
        link(vexa_sim::MakeSimulatedLink(machine)),
        ps(Create<IVexa_axis_position_and_status>(CLSID_Vexa_axis_position_and_status)) {
    LONG success = 0;
    ps->InitialiseObject(link.Get(), &success);
    EXPECT_EQ(1, success);
  }
  std::shared_ptr<vexa_sim::SimulatedMachine> machine;
  ComPtr<IVexa_link> link;
  ComPtr<IVexa_axis_position_and_status> ps;
};

struct ScanPoint {
  CMaPoint tip, deflection;
};

// Polls as a measuring client does until the action completes (bounded, so a scan that never
// ends fails the test instead of hanging it).
std::vector<ScanPoint> PollScan(IVexa_axis_position_and_status* ps) {
  std::vector<ScanPoint> points;
  for (int pass = 0; pass < 100000; ++pass) {
    ps->Update();
    ScanPoint p;
    LONG success = 0, flag = 0, done = 0;
    ps->getTip(&p.tip.x(), &p.tip.y(), &p.tip.z(), &success);
    ps->probedPointData(&flag);
    if (success == 1 && flag == 1) {
      ps->getProbeDeflection(&p.deflection.x(), &p.deflection.y(), &p.deflection.z(), &success);
      points.push_back(p);
    }
    ps->actionCompleted(&done);
    if (done == 1) {
      return points;
    }
  }
  ADD_FAILURE() << "scan did not complete";
  return points;
}

// The arguments of a circle scan that a test varies; the rest are the fixed values a measuring
// client passes.
struct ScanArgs {
  BYTE boreOrBoss = 0;
  BYTE direction = 0;
  double diameter = 18.0;  // path diameter: a bore of radius 10 with the 2.0 tip below
  CMaPoint centre{0.0, 0.0, 0.0};
  CMaPoint axis{0.0, 0.0, 1.0};
  double startAngle = 90.0;
  double overtravel = 90.0;
  double tipDiameter = 2.0;
  double deflection = 0.3;
  double speed = 20.0;
  double pitch = 0.1;
};

// The success value StartCircleScan gives; *error (when given) the scan object's last error.
LONG StartScan(Rig& rig, const ScanArgs& a, LONG* error = nullptr) {
  auto scan = Create<IVexa_circle_scan>(CLSID_Vexa_circle_scan);
  LONG success = -1;
  scan->StartCircleScan(rig.link.Get(), 1, a.boreOrBoss, a.direction, 1, 0, a.diameter,
                        a.centre.x(), a.centre.y(), a.centre.z(), a.axis.x(), a.axis.y(),
                        a.axis.z(), a.startAngle, a.overtravel, 0.0, 0.0, a.tipDiameter,
                        a.deflection, a.speed, a.pitch, 0.0, 0.1, 1.0, &success);
  if (error) {
    scan->GetLastError(error);
  }
  return success;
}

// The points of a scan that must start.
std::vector<ScanPoint> Scan(Rig& rig, const ScanArgs& args) {
  EXPECT_EQ(1, StartScan(rig, args));
  return PollScan(rig.ps.Get());
}

using FlagGetter = HRESULT (IVexa_axis_position_and_status::*)(LONG*);
struct FlagEntry {
  StatusFlag flag;
  FlagGetter getter;
  const char* name;
};
const FlagEntry kFlags[] = {
#define VEXA_TEST_FLAG(name) {StatusFlag::name, &IVexa_axis_position_and_status::get_##name, #name},
    VEXA_STATUS_FLAGS(VEXA_TEST_FLAG)
#undef VEXA_TEST_FLAG
};

// The success value of getLock, with the link's last error.
std::pair<LONG, LONG> GetLock(IVexa_link* link, LONG waitLimit) {
  LONG success = -1, error = 0;
  EXPECT_EQ(S_OK, link->getLock(waitLimit, &success));
  link->GetLastError(&error);
  return {success, error};
}

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct MoveRig : Rig {
  MoveRig() {
    LONG success = 0;
    move->InitialiseObject(link.Get(), ps.Get(), &success);
    EXPECT_EQ(1, success);
  }
  // Starts a rotation about `axis` (a linear move to `to` when no axis is given) and polls the
  // status as a client does (no Update) until it is no longer "running".
  LONG Run(CMaPoint to, const CMaPoint* axis, double value, std::vector<CMaPoint>* path = nullptr,
           double speed = 10.0) {
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
    LONG success = 0, status = kVexaMoveRunning;
    move->SetTarget(target.Get(), &success);
    EXPECT_EQ(1, success);
    move->StartMove(speed, 0, 0, 0, 0);
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

TEST(SimulatedAxisStatus, EachInjectedFlagShowsOnItsOwnPropertyOnly) {
  static_assert(std::size(kFlags) == static_cast<size_t>(StatusFlag::Count));
  for (const auto& raised : kFlags) {
    Rig rig;
    rig.machine->SetStatusFlag(raised.flag, 1);
    for (const auto& entry : kFlags) {
      LONG value = -1;
      EXPECT_EQ(S_OK, (rig.ps.Get()->*entry.getter)(&value));
      EXPECT_EQ(&entry == &raised ? 1 : 0, value) << raised.name << " raised, read " << entry.name;
    }
  }
}

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
  auto start = Clock::now();
  EXPECT_EQ(std::make_pair(0, config.lockTimeoutError), GetLock(waiter.Get(), 60));
  EXPECT_GE(MillisecondsSince(start), 55.0);
  EXPECT_EQ(1, machine->LocksGranted());
}

TEST(SimulatedMove, RotationIsAnticlockwiseOnItsCircleThenALinearMoveReachesItsTarget) {
  MoveRig rig;
  rig.machine->SetTip(CMaPoint(7.0, 0.0, 0.0));
  std::vector<CMaPoint> path;
  EXPECT_EQ(kVexaMoveCompleted, rig.Run({}, &kZ, 90.0, &path));
  EXPECT_TRUE(rig.machine->Tip().IsEqual(CMaPoint(0.0, 7.0, 0.0), 1e-12));
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
  EXPECT_EQ(2, rig.machine->MovesStarted());
}

constexpr double kMicron = 0.001;

double AngleAbout(const CMaPoint& centre, const CMaPoint& p) {
  return std::atan2(p.y() - centre.y(), p.x() - centre.x());
}

MachineConfig Quiet() {
  MachineConfig config;
  config.noise.sigma = 0.0;
  return config;
}

// Read minus true tip-centre radius, point by point. The true radius at angle theta about the
// feature's actual centre is the nominal radius + size error + lobes, then a tip radius in
// from a bore's wall or out from a boss's.
std::vector<double> Residuals(const std::vector<ScanPoint>& points, const MachineConfig& config,
                              const ScanArgs& args) {
  const CMaPoint centre =
      args.centre + CMaPoint(config.feature.centreOffsetX, config.feature.centreOffsetY, 0.0);
  std::vector<double> residuals;
  for (const auto& point : points) {
    const double theta = AngleAbout(centre, point.tip);
    double radius = args.diameter / 2.0 + config.feature.sizeError;
    for (const FormLobe& lobe : config.feature.lobes) {
      radius += lobe.amplitude * std::cos(lobe.undulations * theta + lobe.phase);
    }
    residuals.push_back(point.tip.DistanceTo(centre) - radius);
  }
  return residuals;
}

class ScanGeometry : public ::testing::TestWithParam<BYTE> {};

TEST_P(ScanGeometry, PointsLieOnPathCircleOnePitchApartFromStartAngleInDirectionOrder) {
  Rig rig(MachineConfig::Ideal());
  ScanArgs args;
  args.direction = GetParam();
  args.centre = CMaPoint(3.0, -2.0, 5.0);
  args.startAngle = 72.0;
  const auto points = Scan(rig, args);
  // 450 degrees of a circle of radius 9 at a pitch of 0.1: 706.86 pitches, 707 points.
  ASSERT_EQ(707u, points.size());
  const double sign = args.direction == 0 ? 1.0 : -1.0;
  for (size_t i = 0; i < points.size(); ++i) {
    // The point after i pitches of 0.1 along the circle, from the start angle.
    const double angle = MaDegreeToRadian(args.startAngle) + sign * 0.1 * i / 9.0;
    const CMaPoint expected(3.0 + 9.0 * std::cos(angle), -2.0 + 9.0 * std::sin(angle), 5.0);
    ASSERT_LT(points[i].tip.DistanceTo(expected), 1e-6) << "point " << i;
  }
  // The tip stays at the last point once the scan has ended.
  EXPECT_TRUE(rig.machine->Tip().IsEqual(points.back().tip, 0.0));
}

INSTANTIATE_TEST_SUITE_P(BothDirections, ScanGeometry, ::testing::Values(BYTE{0}, BYTE{1}));

TEST(ScanReading, SlowScanLiesOnTheTrueFeatureWithRadialDeflection) {
  for (const BYTE boreOrBoss : {BYTE{0}, BYTE{1}}) {
    ScanArgs args;
    args.boreOrBoss = boreOrBoss;
    args.speed = 5.0;
    args.centre = CMaPoint(1.0, 2.0, -3.0);
    Rig quiet(Quiet());
    const auto points = Scan(quiet, args);
    for (const double r : Residuals(points, Quiet(), args)) {
      ASSERT_LT(std::abs(r), 0.1 * kMicron);
    }
    // The deflection points towards the surface, radial to within the microns by which the
    // real feature lies off the commanded circle.
    const double outwards = boreOrBoss == 0 ? args.deflection : -args.deflection;
    for (const auto& point : points) {
      const CMaPoint radial = point.tip - args.centre;
      const double r = MaPythag(radial.x(), radial.y());
      EXPECT_NEAR(outwards * radial.x() / r, point.deflection.x(), args.deflection * 0.001);
      EXPECT_NEAR(outwards * radial.y() / r, point.deflection.y(), args.deflection * 0.001);
      EXPECT_EQ(0.0, point.deflection.z());
    }
  }
}

TEST(SimulatedScan, RejectsIllegalArgumentsWithAnError) {
  const struct {
    const char* what;
    void (*spoil)(ScanArgs&);
  } cases[] = {
      {"zero diameter", [](ScanArgs& a) { a.diameter = 0.0; }},
      {"no sweep", [](ScanArgs& a) { a.overtravel = -360.0; }},
      {"tilted axis", [](ScanArgs& a) { a.axis = CMaPoint(1.0, 0.0, 0.0); }},
      {"too many points", [](ScanArgs& a) { a.pitch = 1e-9; }},
      {"boss path inside the tip", [](ScanArgs& a) { a.boreOrBoss = 1, a.diameter = 1.5; }}};
  for (const auto& c : cases) {
    Rig rig;
    ScanArgs args;
    c.spoil(args);
    LONG error = 0;
    EXPECT_EQ(0, StartScan(rig, args, &error)) << c.what;
    EXPECT_EQ(kErrorIllegalScanParameter, error) << c.what;
    EXPECT_EQ(0, rig.machine->ScansStarted()) << c.what;
  }
}

DynamicsModel Only(double DynamicsModel::*amplitude, double value) {
  DynamicsModel model;
  model.centripetalGain = model.anisotropy = model.glitchHeight = model.transientAmplitude = 0.0;
  model.*amplitude = value;
  return model;
}

ScanMotion At(double speed, double pathRadius, double thetaDegrees, double pathLength) {
  return {speed, pathRadius, MaDegreeToRadian(thetaDegrees), pathLength};
}

TEST(DynamicsModel, EachTermMatchesItsWorkedValue) {
  // beta (v^2 / R) / (2 pi f)^2 = 0.047 * (100^2 / 10) / (2 pi 20)^2 = 47 / 15791.37 mm.
  const auto centripetal = Only(&DynamicsModel::centripetalGain, 0.047);
  EXPECT_NEAR(2.97631e-3, DynamicRadialError(centripetal, At(100.0, 10.0, 33.0, 7.0)), 1e-8);
  EXPECT_NEAR(2.97631e-3 / 400.0, DynamicRadialError(centripetal, At(5.0, 10.0, 33.0, 7.0)), 1e-11);

  // a2 (v / v_ref)^2 cos(2 theta + phi2) at half the reference speed and theta = 45 degrees.
  auto anisotropy = Only(&DynamicsModel::anisotropy, 0.0008);
  anisotropy.anisotropyPhase = 0.0;
  EXPECT_NEAR(0.0, DynamicRadialError(anisotropy, At(50.0, 10.0, 45.0, 0.0)), 1e-15);
  EXPECT_NEAR(-0.0002, DynamicRadialError(anisotropy, At(50.0, 10.0, 90.0, 0.0)), 1e-15);

  // Glitches peak where an axis reverses, fall to 1/e one width away, vanish between.
  const auto glitch = Only(&DynamicsModel::glitchHeight, 0.0006);
  for (const double reversal : {0.0, 90.0, 270.0, -90.0}) {
    EXPECT_NEAR(0.0006, DynamicRadialError(glitch, At(100.0, 10.0, reversal, 0.0)), 1e-15);
    EXPECT_NEAR(0.0003 / std::exp(1.0),
                DynamicRadialError(glitch, At(50.0, 10.0, reversal + 3.0, 0.0)), 1e-15);
  }
  EXPECT_LT(DynamicRadialError(glitch, At(100.0, 10.0, 45.0, 0.0)), 1e-12);

  // The transient rings one wavelength per 5 mm and decays by e every 4 mm of path.
  const auto transient = Only(&DynamicsModel::transientAmplitude, 0.0015);
  EXPECT_NEAR(0.0015, DynamicRadialError(transient, At(100.0, 10.0, 10.0, 0.0)), 1e-15);
  EXPECT_NEAR(-0.0015 * std::exp(-2.5 / 4.0),
              DynamicRadialError(transient, At(100.0, 10.0, 10.0, 2.5)), 1e-15);
  EXPECT_NEAR(0.0015 * std::exp(-5.0 / 4.0),
              DynamicRadialError(transient, At(100.0, 10.0, 10.0, 5.0)), 1e-15);
}

const char kSettings[] =
    "; settings of the test machine\r\n"
    "# a comment of the other kind\r\n"
    "[OmbrixDC]\r\n"
    "BufferPitch = 0.25\r\n"
    "dcMapPitch=1.5 ; inline remark\r\n"
    ";DCSpeedFactor=5\r\n"
    "   TimeOut=48\r\n"
    "WorkingDirectory=\"D:\\Data\\\"\r\n"
    "Bad=12abc\r\n"
    "Infinite=inf\r\n"
    "Huge=99999999999\r\n"
    "[KT410]\r\n"
    "KnownPartScanAcceleration=+250\r\n";

// The value ReadDouble gives for `key` (default -1), with its result.
std::pair<HRESULT, double> ReadDouble(const std::string& file, const char* section,
                                      const char* key) {
  double value = 0.0;
  const HRESULT hr = Create<IVexa_settings>(CLSID_Vexa_settings)
                         ->ReadDouble(ComBstr(section).Get(), ComBstr(key).Get(), -1.0,
                                      ComBstr(file).Get(), &value);
  return {hr, value};
}

TEST(SettingsStore, ReadsValuesWhateverTheCase_DefaultWhenMissing_FailsWhenUnusableOrDamaged) {
  TempFolder folder;
  const std::string file = folder.Write("settings.ini", kSettings).string();
  const struct {
    const char* section;
    const char* key;
    HRESULT hr;
    double value;  // -1: the default
  } cases[] = {
      {"ombrixdc", "BUFFERPITCH", S_OK, 0.25},
      {"kt410", "KnownPartScanAcceleration", S_OK, 250.0},
      {"OmbrixDC", "timeout", S_OK, 48.0},        // an indented line is a key like any other
      {"OmbrixDC", "DCSpeedFactor", S_OK, -1.0},  // commented out
      {"OmbrixDC", "Bad", E_FAIL, -1.0},
      {"OmbrixDC", "Infinite", E_FAIL, -1.0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadDouble(file, c.section, c.key), std::make_pair(c.hr, c.value)) << c.key;
  }
  auto store = Create<IVexa_settings>(CLSID_Vexa_settings);
  const ComBstr section("OmbrixDC"), path(file);
  LONG number = 0;
  EXPECT_EQ(E_FAIL, store->ReadInteger(section.Get(), ComBstr("Huge").Get(), -1, path.Get(),
                                       &number));  // beyond 32 bits
  EXPECT_EQ(-1, number);
  ComBstr text;
  EXPECT_EQ(S_OK, store->ReadString(section.Get(), ComBstr("WorkingDirectory").Get(), nullptr,
                                    path.Get(), text.Receive()));
  EXPECT_EQ("D:\\Data\\", text.Utf8());
  // A file with a syntax error or an overlong line fails as a whole.
  for (const std::string& text :
       {std::string("[OmbrixDC]\nBufferPitch=0.25\nthis line is no setting\n"),
        "[OmbrixDC]\nWorkingDirectory=" + std::string(400, 'a') + "\nBufferPitch=0.25\n"}) {
    EXPECT_EQ(ReadDouble(folder.Write("bad.ini", text).string(), "OmbrixDC", "BufferPitch"),
              std::make_pair(E_FAIL, -1.0));
  }
}

TEST(MachineDescription, RefusesWhatItCannotApplyAndSaysWhere) {
  const std::pair<const char*, const char*> cases[] = {
      {"[Noise]\nSigma = fast\n", ":2: [Noise] Sigma: \"fast\" not a finite number"},
      {"[Dynamics]\nNaturalFrequency = 0\n", "must be greater than 0"},
      {"[Dynamics]\nNaturalFrequncy = 20\n", "unknown key"},
      {"[Feature]\nSizeError = 0.001\n\nSizeError = 0.002\n", ":4: [Feature] SizeError: given"},
      {"[Frame]\nNormal = 2, 0, 0\n", "not parallel"}};
  TempFolder folder;
  for (const auto& [text, said] : cases) {
    const auto path = folder.Write("bad.ini", text);
    std::string error;
    EXPECT_FALSE(vexa_sim::LoadMachineDescription(path.string(), &error).has_value()) << text;
    EXPECT_EQ(0u, error.find(path.string())) << error;
    EXPECT_NE(std::string::npos, error.find(said)) << text << " said: " << error;
  }
}

TEST(ErrorObject, GivesTextsOfTheAcceptedLanguageAndRefusesOthersOrOutsideTheFolder) {
  TempFolder root;
  std::filesystem::create_directory(root.Path() / "lng");
  const std::string texts = "[VexaOmbrixDCWindowText]\r\n33002=Öffnen\r\n33097=Schließen\r\n";
  root.Write("lng/Deutsch.lng", texts);
  root.Write("Escape.lng", texts);
  ::setenv("OMBRIXDC_LANGUAGE_DIR", (root.Path() / "lng").c_str(), 1);
  auto error = Create<IVexa_error>(CLSID_Vexa_error);
  EXPECT_EQ(S_OK, error->put_Language(ComBstr("Deutsch").Get()));
  EXPECT_EQ(E_INVALIDARG, error->put_Language(ComBstr("../Escape").Get()));
  ComBstr text;
  const ComBstr section("VexaOmbrixDCWindowText");
  EXPECT_EQ(S_OK, error->GetText(section.Get(), ComBstr("33097").Get(), text.Receive()));
  EXPECT_EQ("Schließen", text.Utf8());
  EXPECT_EQ(S_FALSE, error->GetText(section.Get(), ComBstr("33098").Get(), text.Receive()));
  EXPECT_FALSE(text.IsAbsent() || text.Length() > 0) << "the empty, not the absent, text";
  ::unsetenv("OMBRIXDC_LANGUAGE_DIR");
}

}  // namespace
