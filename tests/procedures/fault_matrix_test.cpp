// Every fault the simulated machine can inject, during a learning run and during a compensated
// run: each row gives the error the client then reads, the status the run leaves, and its
// events. Whatever went wrong, the controller lock is given back, the run's worker is gone, and
// the run directory holds only complete, readable map pairs (the compensated runs' stored pair
// untouched) and no temporary file.
#include "tests/procedures/procedure_fixture.h"
#include "tests/support/run_checks.h"

namespace ombrixdc {

namespace {

using vexa_sim::StatusFlag;

struct Scene {
  vexa_sim::SimulatedMachine& machine;
  CircleDCComponent& component;
  RecordingMove& moves;
};
using Inject = std::function<void(Scene&)>;

struct Row {
  std::string name;
  bool replay;  // a compensated run, else a learning run
  Inject inject;
  Texts events;
  uint32_t error;
  ECircleStatus status;
};

// At the tenth point of the run's scan `scan` (1: the first of the run).
Inject DuringScan(int32_t scan, std::function<void(Scene&)> act) {
  return [scan, act](Scene& s) {
    s.machine.OnScanPoint([&s, scan, act](int32_t index) {
      if (index == 10 && s.machine.ScansStarted() == scan) {
        act(s);
      }
    });
  };
}

// As move `move` of the run starts (0: the slow scan's pre-move, 1: the return to the start).
Inject AtMove(size_t move, std::function<void(Scene&)> act) {
  return [move, act](Scene& s) {
    s.moves.onStart = [&s, move, act](size_t index, bool) {
      if (index == move) {
        act(s);
      }
    };
  };
}

// A link whose lock is always refused and which reports no error of its own.
class SilentRefusingLink final : public ComObject<IVexa_link> {
 public:
  HRESULT getLock(LONG, LONG* success) override {
    *success = 0;
    return S_OK;
  }
  HRESULT releaseLock(LONG* success) override {
    *success = 0;
    return S_OK;
  }
  HRESULT GetLastError(LONG* error) override {
    *error = 0;
    return S_OK;
  }
};

// Each flag's code, in the flags' order: air pressure low, crash switch, data buffer overflow,
// emergency stop, excessive deflection, illegal parameter, limit switch, marker hit, datum lost,
// QRL not responding, overspeed, probe hit, scale reading, servos disengaged, timeout, and the
// x, y and z motors overdriven.
const uint32_t kFlagCodes[] = {0x8160003E, 0x8160003D, 0x81600047, 0x8160003C, 0x81600048,
                               0x8310000A, 0x81600045, 0x81600046, 0x8310000C, 0x8160003A,
                               0x81600041, 0x8310000B, 0x8160003F, 0x81600040, 0x81600038,
                               0x81600042, 0x81600043, 0x81600044};
static_assert(std::size(kFlagCodes) == static_cast<size_t>(StatusFlag::Count));

// The second byte of the extended status after a scan: 0x10 finished properly, else 0x20
// before 0x40 before anything else; a read that fails passes the controller's code on.
const std::pair<BYTE, uint32_t> kExtendedStatus[] = {
    {0x00, 0x83100005}, {0x8F, 0x83100005}, {0x20, 0x81600049},
    {0x60, 0x81600049}, {0x40, 0x8310000D},
};
constexpr uint32_t kReadCode = 0x81600077u;
constexpr LONG kReadError = static_cast<LONG>(kReadCode);
constexpr uint32_t kLockError = 0x81600050u;

const ECircleStatus kError = E_OMBRIX_DC_CIRCLE_ERROR, kAborted = E_OMBRIX_DC_CIRCLE_ABORTED,
                    kReady = E_OMBRIX_DC_CIRCLE_INITIALISED;
const Texts kSlowFailed = {"status 1", "status 2", "status 7", "complete 0"};
const Texts kFastFailed = {"status 1", "status 2", "status 3", "status 7", "complete 0"};
const Texts kReplayFailed = {"status 1", "status 4", "status 7", "complete 0"};
const Texts kNotRun = {"status 1", "complete 0"};
const Texts kAbortedFirst = {"status 1", "status 6", "complete 0"};

std::vector<Row> FaultRows() {
  std::vector<Row> rows;
  const auto add = [&](std::string name, Inject inject, Texts events, uint32_t error,
                       ECircleStatus status = kError, bool replay = false) {
    rows.push_back({std::move(name), replay, std::move(inject), std::move(events), error, status});
  };
  const auto replayed = [&](std::string name, Inject inject, Texts events, uint32_t error,
                            ECircleStatus status = kError) {
    add(std::move(name), std::move(inject), std::move(events), error, status, true);
  };
  const auto both = [&](const std::string& name, Inject inject, Texts learning, uint32_t error,
                        ECircleStatus status = kError, Texts compensated = kReplayFailed) {
    add(name + ", learning", inject, learning, error, status);
    replayed(name + ", compensated", inject, compensated, error, status);
  };
  // Flags raised during the run's first scan: every one in a learning run, and three in a
  // compensated run, whose scans check them through the same code.
  for (size_t i = 0; i < std::size(kFlagCodes); ++i) {
    const auto flag = static_cast<StatusFlag>(i);
    const Inject raise = DuringScan(1, [flag](Scene& s) { s.machine.SetStatusFlag(flag, 1); });
    add("flag " + std::to_string(i) + ", learning", raise, kSlowFailed, kFlagCodes[i]);
    if (i % 8 == 0) {
      replayed("flag " + std::to_string(i) + ", compensated", raise, kReplayFailed, kFlagCodes[i]);
    }
  }
  const auto everyFlag = [](Scene& s) {
    for (size_t i = 0; i < std::size(kFlagCodes); ++i) {
      s.machine.SetStatusFlag(static_cast<StatusFlag>(i), 1);
    }
  };
  replayed("every flag at once: the first in the controller's order", DuringScan(1, everyFlag),
           kReplayFailed, 0x8160003E);
  // The extended status spoilt in the run's last scan.
  for (const auto& [byte, code] : kExtendedStatus) {
    const auto spoil = [byte](Scene& s) { s.machine.SetExtendedStatus(1, byte); };
    const std::string name = "extended status " + std::to_string(byte);
    add(name + ", learning", DuringScan(2, spoil), kFastFailed, code);
    replayed(name + ", compensated", DuringScan(1, spoil), kReplayFailed, code);
  }
  const auto unreadable = [](Scene& s) { s.machine.FailExtendedStatusRead(kReadError); };
  both("extended status unreadable", DuringScan(1, unreadable), kSlowFailed, kReadCode);
  // A lock refused at the start leaves the component ready for the next run.
  const auto refuse = [](Scene& s) { s.machine.RefuseLock(static_cast<LONG>(kLockError)); };
  both("lock refused", refuse, kNotRun, kLockError, kReady, kNotRun);
  const auto silent = [](Scene& s) { s.component.Link = MakeComObject<SilentRefusingLink>(); };
  add("lock refused without a code", silent, kNotRun, 0x80004005, kReady);
  // A scan the controller refuses fails with its code, or the generic one when it gives none.
  const auto refuseScans = [](LONG code) {
    return [code](Scene& s) { s.machine.RefuseScans(code); };
  };
  both("scan refused without a code", refuseScans(0), kSlowFailed, 0x80004005);
  add("scan refused", refuseScans(kReadError), kSlowFailed, kReadCode);
  add("lock not given back after the pre-move", AtMove(0, refuse), kSlowFailed, kLockError);
  add("lock not given back after the return", AtMove(1, refuse), kSlowFailed, kLockError);
  const auto failMoves = [](Scene& s) { s.machine.FailMoves(vexa_sim::kMoveStopped); };
  add("pre-move fails", failMoves, kSlowFailed, 0x83100004);
  add("return to the start fails", AtMove(1, failMoves), kSlowFailed, 0x83100004);
  const auto neverEnds = [](Scene& s) {
    ProcessRunTimeLimits().baseMilliseconds = 100;
    ProcessRunTimeLimits().factor = 0.0;
    s.machine.FailMoves(kVexaMoveRunning);
  };
  add("pre-move never ends", neverEnds, kSlowFailed, 0x81600038);
  // Too little of the circle recorded to prepare.
  both("tip read fails", DuringScan(1, [](Scene& s) { s.machine.FailTipReadsAfter(40); }),
       kSlowFailed, 0x83100005);
  // Disengaged with no flag and no extended status raised: the scan is cut off, so unusable.
  both("controller disengages", DuringScan(1, [](Scene& s) { s.machine.Disengage(true); }),
       kSlowFailed, 0x83100005);
  const auto disengageWithFlag = [](Scene& s) {
    s.machine.SetStatusFlag(StatusFlag::servoMotorsDisengaged, 1);
    s.machine.Disengage(true);
  };
  both("controller disengages with its flag", DuringScan(1, disengageWithFlag), kSlowFailed,
       0x81600040);
  // The map pair cannot be stored: its circle data file's name is taken by a folder.
  const auto folderInTheWay = [](Scene& s) {
    fs::create_directories(s.component.RunFolder() / "_circle1.rsd" / "x");
  };
  add("map pair cannot be written", folderInTheWay, kFastFailed, 0x83100006);
  // An abort at each checkpoint stops the machine and ends the run without an error.
  const auto abort = [](Scene& s) { s.component.Abort(); };
  both("abort before the run", abort, kAbortedFirst, 0, kAborted, kAbortedFirst);
  const Texts slowAborted = {"status 1", "status 2", "status 6", "complete 0"};
  add("abort during the slow scan", DuringScan(1, abort), slowAborted, 0, kAborted);
  add("abort during the return", AtMove(1, abort), slowAborted, 0, kAborted);
  add("abort during the fast scan", DuringScan(2, abort),
      {"status 1", "status 2", "status 3", "status 6", "complete 0"}, 0, kAborted);
  replayed("abort during the fast scan", DuringScan(1, abort),
           {"status 1", "status 4", "status 6", "complete 0"}, 0, kAborted);
  return rows;
}

}  // namespace

TEST_F(ProcedureTest, FaultMatrix_EveryFaultEndsTheRunCleanly) {
  // The stored pair every compensated row replays.
  PrepareRun();
  ASSERT_EQ(RunToEnd(E_OMBRIX_DC_CIRCLE_LEARNING).back(), "complete 1");
  const std::string storedMap = FileText(RunDir() / "_circle1.rsm");
  TempFolder stored;
  fs::copy(RunDir(), stored.Path());

  for (const Row& row : FaultRows()) {
    Restart();
    PrepareRun();
    if (row.replay) {  // else the learning run PrepareRun sets up
      fs::copy(stored.Path(), RunDir());
      component->Learning.Set(E_OMBRIX_DC_CIRCLE_NO_LEARNING);
    }
    ComPtr<RecordingMove> moves = WatchMoves();
    Scene scene{*machine, *component, *moves.Get()};
    row.inject(scene);
    const int32_t threads = ThreadCount();

    component->PerformCircle();
    component->WaitForRuns();

    const std::string& n = row.name;
    EXPECT_EQ(sink->Texts(), row.events) << n;
    EXPECT_EQ(component->GetLastError(), row.error) << n;
    EXPECT_EQ(component->GetCurrentCircleStatus(), row.status) << n;
    EXPECT_EQ(component->AbortRequested.load(), 0) << n;
    if (row.status == kAborted) {
      EXPECT_EQ(machine->StopsRequested(), 1) << n;
    }
    EXPECT_FALSE(machine->LockHeld()) << n;
    EXPECT_EQ(machine->LocksGranted(), machine->LocksReleased()) << n;
    EXPECT_TRUE(ThreadCountFallsTo(threads)) << n;
    EXPECT_EQ(IncompleteMapPairs(RunDir()), std::vector<std::string>{}) << n;
    if (row.replay) {
      EXPECT_EQ(MapFiles(), (std::vector<std::string>{"_circle1.rsd", "_circle1.rsm"})) << n;
      EXPECT_EQ(FileText(RunDir() / "_circle1.rsm"), storedMap) << n;
    } else {
      EXPECT_TRUE(MapFiles().empty() || MapFiles() == std::vector<std::string>{"_circle1.rsd"})
          << n;
    }
    machine->OnScanPoint(nullptr);
  }
}

}  // namespace ombrixdc
