// The fixed sessions: call patterns of careful clients that once crashed the host or changed
// what a run reported. Each ends with its runs over; the session's checks then apply as to a
// random one, with a few of the scenario's own.
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "tests/torture/torture.h"

namespace torture {

namespace {

// PerformCircle called by `actor`.
HRESULT Start(Session& s, Client& c, const char* actor = "client") {
  std::mt19937 unused;  // PerformCircle takes no arguments
  return s.Act(c, "PerformCircle", unused, actor);
}

void WaitUntil(const std::function<bool()>& condition) {  // the watchdog bounds the wait
  while (!condition()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// A run on `fault` ends as failed with the fault's code. With `readInHandler`, its
// OnStatusChange(7) handler reads GetLastError (which clears it) and finds the run's own error.
void FailedRun(Session& s, const Fault& fault, bool readInHandler) {
  Client& c = s.AddClient();
  fault.inject(*c.machine);
  auto read = std::make_shared<std::atomic<uint32_t>>(0);
  c.sinks[0]->onEvent = [&c, read, readInHandler](const Event& e) {
    if (readInHandler && IsStatus(e, 7)) {
      *read = ErrorOf(c.raw);
    }
  };
  Start(s, c);
  s.Quiesce(c);
  s.ExpectRunEnd(c, 0, 0, readInHandler ? 0 : fault.code, "the failed run: ");
  if (readInHandler && *read != fault.code) {
    s.Fail("the failed run's handler read " + Hex(*read));
  }
}

// A good run while a second thread asks for data sets that are still empty ends as good.
void EmptyDataAskedForDuringTheRun(Session& s) {
  Client& c = s.AddClient();
  std::atomic<bool> started{false}, stop{false};
  std::thread second([&] {
    std::mt19937 rng(2);
    WaitUntil([&] { return started.load(); });  // an error pending before the run fails it
    while (!stop) {
      s.Act(c, "GetData", rng, "second");
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  Start(s, c);
  started = true;
  s.Quiesce(c);
  stop = true;
  second.join();
  s.ExpectRunEnd(c, 0, 1, std::nullopt, "the good run: ");
}

// The last reference released inside an event handler, on the run's own thread: at the first
// stage announced once PerformCircle has returned (an event raised during the call may be
// delivered on the caller's thread).
void ReleasedInsideAHandler(Session& s) {
  Client& c = s.AddClient();
  auto started = std::make_shared<std::atomic<bool>>(false);
  c.sinks[0]->onEvent = [&s, &c, started](const Event& e) {
    if (e.dispid == DISPID_OnStatusChange && e.value >= 2 && e.value <= 4 && *started) {
      s.ReleaseClient(c, "handler");
    }
  };
  Start(s, c);
  *started = true;
  WaitUntil([&] { return c.destroyed.load(); });
}

// InitialiseObject given the client's own axis position and status object that fails half
// way (no circle scan object) leaves a component whose next PerformCircle is refused with
// error 1.
void InitialisedHalfWay(Session& s) {
  Client& c = s.AddClient();
  ComPtr<IVexa_axis_position_and_status> axes;
  CoCreateInstance(CLSID_Vexa_axis_position_and_status, nullptr, CLSCTX_ALL,
                   IID_IVexa_axis_position_and_status, axes.ReleaseAndGetVoidAddressOf());
  LONG ready = 0;
  axes->InitialiseObject(c.link.Get(), &ready);
  const DWORD cookie = RegisterInProcessClass(CLSID_Vexa_circle_scan,
                                              [] { return static_cast<IUnknown*>(nullptr); });
  const HRESULT init = CallByName(c.raw, "InitialiseObject", DISPATCH_METHOD,
                                  {Unknown(c.link.Get()), Unknown(axes.Get())});
  CoRevokeClassObject(cookie);
  s.log.Add("c1 client InitialiseObject without a circle scan class = " + std::to_string(init));
  const HRESULT hr = Start(s, c);
  s.Quiesce(c);
  const uint32_t code = ErrorOf(c.raw);
  if (hr != S_FALSE || code != 0x83100001u) {
    s.Fail("PerformCircle after the failed InitialiseObject gave " + Hex(hr) + " and code " +
           Hex(code));
  }
}

// A client that starts the next run as soon as GetPerformCircleComplete reads 1, while its
// first sink is still handling the old run's PerformCircleComplete.
void NextRunStartedOnPolling(Session& s) {
  Client& c = s.AddClient();
  c.sinks[0]->onEvent = [](const Event& e) {
    if (IsComplete(e)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  };
  for (int32_t run = 0; run < 3; ++run) {
    WaitUntil([&] { return Start(s, c) == S_OK; });
    LONG completed = 0, success = 0;
    while (!completed) {
      CallByName(c.raw, "GetPerformCircleComplete", DISPATCH_METHOD,
                 {Ref(VT_I4, &completed), Ref(VT_I4, &success)});
    }
  }
  s.Quiesce(c);
}

// The last reference released by a thread that holds a lock of the client's own while a
// handler on the run's thread waits for that lock: the release returns without waiting for the
// run (which would wait for ever); the handler goes on once the lock is free, and the run's
// thread ends the object.
void ReleasedUnderTheClientsLock(Session& s) {
  Client& c = s.AddClient();
  auto clientLock = std::make_shared<std::mutex>();
  auto waiting = std::make_shared<std::promise<void>>();
  auto first = std::make_shared<std::atomic<bool>>(true);
  c.sinks[0]->onEvent = [clientLock, waiting, first](const Event& e) {
    if (IsStatus(e, 2) && first->exchange(false)) {
      waiting->set_value();
      std::lock_guard lock(*clientLock);
    }
  };
  std::unique_lock lock(*clientLock);
  Start(s, c);
  waiting->get_future().wait();
  s.ReleaseClient(c, "client");  // the watchdog ends a session that hangs here
}

// PerformCircle called again from the handler of the first `restarts` events `when` picks,
// each call answered `answer`; `runs` runs are accepted in all. With `release`, the client
// releases its last reference while its first run goes.
void StartedAgainFromAHandler(Session& s, bool (*when)(const Event&), int32_t restarts,
                              HRESULT answer, int32_t runs, bool release = false) {
  Client& c = s.AddClient();
  auto count = std::make_shared<std::atomic<int32_t>>(0);
  c.sinks[0]->onEvent = [&s, &c, count, when, restarts, answer](const Event& e) {
    if (when(e) && (*count)++ < restarts && Start(s, c, "handler") != answer) {
      s.Fail("PerformCircle from the handler of " + Describe(e) + " did not answer " + Hex(answer));
    }
  };
  Start(s, c);
  if (release) {
    s.ReleaseClient(c, "client");
  }
  s.Quiesce(c);
  if (c.accepted != runs) {
    s.Fail(std::to_string(c.accepted.load()) + " runs accepted, not " + std::to_string(runs));
  }
}

}  // namespace

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> scenarios = {
      {"error read in the error handler", [](Session& s) { FailedRun(s, Faults()[1], true); }},
      {"empty data asked for during the run", &EmptyDataAskedForDuringTheRun},
      // A scan the controller refuses without a code of its own: the run's code is not 0.
      {"scan refused without a code", [](Session& s) { FailedRun(s, Faults()[7], false); }},
      // The last reference released while a run goes, by a client whose PerformCircleComplete
      // handler would start the next run: the sinks hear nothing more, so no handler starts
      // one, and the release waits for the run.
      {"released while its run goes",
       [](Session& s) { StartedAgainFromAHandler(s, &IsComplete, 1, S_FALSE, 1, true); }},
      {"released inside a handler", &ReleasedInsideAHandler},
      {"released under the client's lock", &ReleasedUnderTheClientsLock},
      {"initialised half way", &InitialisedHalfWay},
      {"next run started on polling", &NextRunStartedOnPolling},
      // Runs started one after another from the PerformCircleComplete handler.
      {"next run started from the handler",
       [](Session& s) { StartedAgainFromAHandler(s, &IsComplete, 2, S_OK, 3); }},
      // PerformCircle re-entered from the OnStatusChange(1) its own checks raise: one run.
      {"re-entered from the start event", [](Session& s) {
         StartedAgainFromAHandler(
             s, [](const Event& e) { return IsStatus(e, 1); }, 1, S_FALSE, 1);
       }}};
  return scenarios;
}

}  // namespace torture
