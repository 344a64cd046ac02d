#include <algorithm>
#include <chrono>
#include <future>
#include <thread>
#include <tuple>
#include <utility>

#include "tests/component/component_fixture.h"

namespace ombrixdc {

// The events of a learning run that ends well.
const Texts kLearnt = {"status 1", "status 2", "status 3", "status 5", "complete 1"};

// Every way the parameter check refuses a run: the error GetLastError then gives (once), status
// not initialised, and no event.
TEST_F(ComponentTest, ParameterCheck_RefusesTheRunWithItsError) {
  using Change = std::function<void(CircleDCComponent&)>;
  // What is changed (on an object initialised with good parameters when `prepared`), and the
  // error the run is refused with.
  const std::tuple<const char*, bool, uint32_t, Change> cases[] = {
      {"new object", false, 0x83100001u, [](auto&) {}},
      {"an unread error is kept", false, 0x83100009u, [](auto& c) { c.LastErrorNumber = 9; }},
      {"FilterNumber 0", true, 0x83100001u, [](auto& c) { c.FilterNumber.Set(0); }},
      {"FeatureRadius 0", true, 0x83100001u, [](auto& c) { c.FeatureRadius.Set(0.0); }},
      {"TipRadius NaN", true, 0x83100001u, [](auto& c) { c.TipRadius.Set(std::nan("")); }},
      {"FeatureRadius infinite", true, 0x83100001u, [](auto& c) { c.FeatureRadius.Set(INFINITY); }},
      {"ScanDeflection < 0", true, 0x83100001u, [](auto& c) { c.ScanDeflection.Set(-0.3); }},
      {"ModeParameter 0", true, 0x83100001u, [](auto& c) { c.ModeParameter.Set(0.0); }},
      {"start position never asked", true, 0x83100002u,
       [](auto& c) { EXPECT_TRUE(c.EnterProbeOffsets(0, 0, 0)); }},
      {"no probe offsets", true, 0x83100003u, [this](auto&) { machine->SetTip(StartPosition()); }},
      // An InitialiseObject that failed half-way since the parameters passed: never run on it.
      {"a controller object missing", true, 0x83100001u,
       [](auto& c) {
         c.Status = E_OMBRIX_DC_CIRCLE_INITIALISED;
         c.CircleScan.Reset();
       }},
  };
  for (const auto& [name, prepared, error, change] : cases) {
    Restart();
    if (prepared) {
      Initialise();
      SetGoodParameters();
    }
    change(*component);
    EXPECT_EQ(component->PerformCircle(), S_FALSE) << name;
    EXPECT_EQ(component->GetLastError(), error) << name;
    EXPECT_EQ(component->GetLastError(), 0u) << name;
    EXPECT_EQ(component->GetCurrentCircleStatus(), E_OMBRIX_DC_CIRCLE_NOT_INITIALISED) << name;
    EXPECT_TRUE(sink->Texts().empty()) << name;
  }
}

// How a prepared run ends: its events, the error GetLastError then gives, the status it leaves,
// the controller locks taken (each given back), an abort the run never reached that stays
// requested, and the success PerformCircleComplete reports.
TEST_F(ComponentTest, RunOutcomes) {
  const CMaPoint off(0.02, 0.0, 0.0);
  const Texts kFailed = {"status 1", "complete 0"};
  const Texts kNotStarted = {"status 1", "status 7"};
  const Texts kNoRawFile = {"status 1", "status 2", "status 7", "complete 0"};
  const ECircleStatus kReady = E_OMBRIX_DC_CIRCLE_INITIALISED, kError = E_OMBRIX_DC_CIRCLE_ERROR;
  const auto noLearning = [&] { component->Learning.Set(E_OMBRIX_DC_CIRCLE_NO_LEARNING); };
  using Change = std::function<void()>;
  const std::tuple<const char*, Texts, uint32_t, ECircleStatus, int32_t, int32_t, Change> cases[] =
      {
          // The lock is given up and taken back around the pre-move and the return to the start.
          {"learning run", kLearnt, 0u, E_OMBRIX_DC_CIRCLE_FINISHED, 3, 0, [] {}},
          {"probe off the start", kNotStarted, 0x83100004u, kError, 0, 0,
           [&] { machine->SetTip(component->StartPosition.Get() + off); }},
          // Offline the start is not checked; the run then finds no raw scan file to replay.
          {"offline, probe off the start", kNoRawFile, 0x83100006u, kError, 1, 0,
           [&] {
             machine->SetTip(component->StartPosition.Get() + off);
             component->OfflineTesting.Set(1);
           }},
          {"no learning without a stored map", kFailed, 0x83100009u, kReady, 1, 0, noLearning},
          {"no run directory under no learning: 9 in place of 14", kFailed, 0x83100009u, kReady, 1,
           0,
           [&] {
             noLearning();
             component->RunDirectory.Set(std::nullopt);
           }},
          {"run directory is a file", kFailed, 0x8310000Eu, kReady, 1, 0,
           [&] { component->RunDirectory.Set(folder.Write("not-a-folder", "x").string()); }},
          {"abort before a run that fails", kFailed, 0x83100009u, kReady, 1, 1,
           [&] {
             component->Abort();
             noLearning();
           }},
          {"worker thread cannot start", kFailed, 0x83100008u, kReady, 0, 0,
           [&] {
             CircleDCComponentTestAccess::SetThreadStarter(
                 *component, [](std::function<void()>) -> std::thread {
                   throw std::system_error(
                       std::make_error_code(std::errc::resource_unavailable_try_again));
                 });
           }},
      };
  for (const auto& [name, events, error, status, locks, abortLeft, change] : cases) {
    Restart();
    PrepareRun();
    change();
    component->PerformCircle();
    component->WaitForRuns();
    EXPECT_EQ(sink->Texts(), events) << name;
    LONG completed = -1, success = -1;
    component->GetPerformCircleComplete(&completed, &success);
    EXPECT_EQ(completed, events.back().rfind("complete", 0) == 0 ? 1 : 0) << name;
    EXPECT_EQ(success, error == 0u ? 1 : 0) << name;
    EXPECT_EQ(component->GetLastError(), error) << name;
    EXPECT_EQ(component->GetCurrentCircleStatus(), status) << name;
    EXPECT_EQ(machine->LocksGranted(), locks) << name;
    EXPECT_EQ(machine->LocksReleased(), locks) << name;
    EXPECT_FALSE(machine->LockHeld()) << name;
    EXPECT_EQ(component->AbortRequested.load(), abortLeft) << name;
    // Status changes from the client's thread, the rest of a run's events from one worker.
    const auto threads = sink->Threads();
    for (size_t i = 0; status == E_OMBRIX_DC_CIRCLE_FINISHED && i < threads.size(); ++i) {
      EXPECT_EQ(threads[i] == std::this_thread::get_id(), i == 0) << name << i;
      EXPECT_EQ(threads[i], threads[std::min<size_t>(i, 1)]) << name << i;
    }
  }
}

// The fast speed is ModeParameter under input speed, MaxScanSpeed under any other mode, capped
// at twice DCSpeedFactor times the radius.
TEST_F(ComponentTest, FastSpeed_IsCappedByTwiceSpeedFactorTimesRadius) {
  PrepareRun();
  component->DCSpeedFactor.Set(1.5);
  component->FeatureRadius.Set(20.0);
  component->ModeParameter.Set(80.0);
  const std::tuple<int32_t, double, double> cases[] = {
      {E_OMBRIX_DC_CIRCLE_MODE_INPUT_SPEED, 100.0, 60.0},
      {E_OMBRIX_DC_CIRCLE_MODE_CAL_FORM, 50.0, 50.0},
  };
  for (const auto& [mode, maxScanSpeed, fastSpeed] : cases) {
    component->Mode.Set(mode);
    component->MaxScanSpeed.Set(maxScanSpeed);
    component->PerformCircle();
    component->WaitForRuns();
    EXPECT_DOUBLE_EQ(component->FastSpeed.Get(), fastSpeed) << mode;
  }
}

TEST_F(ComponentTest, DestroyingAComponentWhileItsRunWaits_StopsAndJoinsTheWorker) {
  PrepareRun();
  LONG held = 0;
  link->getLock(0, &held);  // another client holds the controller
  component->PerformCircle();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    link->releaseLock(&held);
  });
  component.reset();  // must wait for the worker, not leave it running on a dead object
  releaser.join();
  // Stopped before its end: aborted, no success.
  EXPECT_EQ(sink->Texts(), (Texts{"status 1", "status 6", "complete 0"}));
}

// A client that holds a lock of its own around its calls, which its handlers take too, starts
// the next run while the last run's PerformCircleComplete is still being delivered (its poll
// saw the run complete). The new run's OnStatusChange(1) must not wait for that delivery, which
// waits for the client's lock; the events still arrive in order.
TEST_F(ComponentTest, NextRunUnderTheClientsLock_DoesNotWaitForTheLastRunsDelivery) {
  struct LockingSink : RecordingSink {
    std::mutex clientLock;
    std::promise<void> inFirstComplete;
    bool first = true;
    void PerformCircleComplete(int32_t success) override {
      if (std::exchange(first, false)) {
        inFirstComplete.set_value();
        std::lock_guard lock(clientLock);
      }
      RecordingSink::PerformCircleComplete(success);
    }
  };
  PrepareRun();
  auto locking = std::make_shared<LockingSink>();
  component->Sinks.Connect(locking);
  std::future<void> delivering = locking->inFirstComplete.get_future();
  std::promise<void> locked;
  std::promise<HRESULT> started;
  std::thread client([&] {
    std::lock_guard lock(locking->clientLock);
    locked.set_value();
    delivering.wait();  // the last run's worker now waits for this lock in its handler
    machine->SetTip(StartPosition());
    started.set_value(component->PerformCircle());
  });
  locked.get_future().wait();
  ASSERT_EQ(component->PerformCircle(), S_OK);
  std::future<HRESULT> second = started.get_future();
  if (second.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    ADD_FAILURE() << "PerformCircle waited for a handler that waits for the client's lock";
    std::abort();  // the two threads wait for each other for ever
  }
  client.join();
  EXPECT_EQ(second.get(), S_OK);
  component->WaitForRuns();
  Texts both = kLearnt;
  both.insert(both.end(), kLearnt.begin(), kLearnt.end());
  EXPECT_EQ(locking->Texts(), both);
}

// What the client's thread may do while a run is in progress, with the worker stopped in the
// middle of its slow scan: none of it may reach into the run.
TEST_F(ComponentTest, ClientCallsDuringARun_LeaveTheRunUntouched) {
  const auto getData = [&](int32_t type) {
    DataSetPoints points;
    LONG success = -1;
    EXPECT_EQ(component->GetData(type, &points, &success), S_OK);
    return success;
  };
  // The call, and what it left for GetLastError: a failing call of the client's own is the
  // client's error, not the run's.
  const std::tuple<const char*, uint32_t, std::function<void()>> cases[] = {
      {"GetData of no data set", 0x83100007u, [&] { EXPECT_EQ(getData(kDataTypeCount), 0); }},
      // Reading a fast data set selects the fast scan for the client; the run's slow scan
      // must still be kept as the slow one.
      {"GetData and SaveData", 0u,
       [&] {
         EXPECT_EQ(getData(E_OMBRIX_DC_CIRCLE_DATA_FAST), 1);
         LONG success = 0;
         EXPECT_EQ(component->SaveData(std::string("during"), &success), S_OK);
       }},
      // The run keeps the controller objects it started with.
      {"InitialiseObject with another link", 0u,
       [&] {
         LONG success = 0;
         auto other = vexa_sim::MakeSimulatedLink(std::make_shared<vexa_sim::SimulatedMachine>());
         EXPECT_EQ(component->InitialiseObject(other.Get(), nullptr, &success), S_OK);
       }},
      // A second run on the same component is refused: no check, no event, no error.
      {"PerformCircle again", 0u,
       [&] {
         EXPECT_EQ(component->PerformCircle(), S_FALSE);
         EXPECT_EQ(component->LastErrorNumber.load(), 0);
       }},
  };
  for (const auto& [name, clientError, call] : cases) {
    PrepareRun();
    ASSERT_EQ(component->PerformCircle(), S_OK) << name;  // data for GetData to convert
    component->WaitForRuns();
    machine->SetTip(component->StartPosition.Get());
    const int32_t scansBefore = machine->ScansStarted();
    NewSink();

    // The worker waits in the middle of its slow scan until the client's call is over.
    std::promise<void> reached, resume;
    machine->OnScanPoint([&](int32_t index) {
      if (index == 50 && machine->ScansStarted() == scansBefore + 1) {
        reached.set_value();
        resume.get_future().wait();
      }
    });
    ASSERT_EQ(component->PerformCircle(), S_OK) << name;
    reached.get_future().wait();
    call();
    resume.set_value();
    component->WaitForRuns();

    EXPECT_EQ(sink->Texts(), kLearnt) << name;
    LONG completed = 0, success = 0;
    component->GetPerformCircleComplete(&completed, &success);
    EXPECT_EQ(std::pair(completed, success), std::pair(1, 1)) << name;
    EXPECT_EQ(component->GetLastError(), clientError) << name;
    EXPECT_EQ(machine->ScansStarted(), scansBefore + 2) << name;
    const PublishedRunResults results = component->Results();
    EXPECT_LT(results->slowCentre.DistanceTo(results->fastCentre), 0.1) << name;
    EXPECT_FALSE(machine->LockHeld()) << name;
    machine->OnScanPoint(nullptr);
  }
}

}  // namespace ombrixdc
