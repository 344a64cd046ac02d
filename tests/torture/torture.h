#pragma once
// A randomised automation client of the component on the simulated machine. A session holds a
// few components, each on its own simulated machine and all sharing one run directory, and
// drives them the way measuring applications do and worse: every member through IDispatch from
// the client's thread, from a second thread and from inside every event handler; Abort and the
// last Release at any moment; PerformCircle re-entered from handlers; controller faults
// injected. Every call and event goes to the session's log, which is printed with the seed
// when a check fails, so that the session can be replayed.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/vexa/simulated_machine.h"
#include "src/component/automation/vexa_circle_dc.h"
#include "tests/support/dispatch_calls.h"
#include "tests/support/temp_folder.h"

namespace torture {

using Seed = unsigned long long;  // as printf's %llu takes it

inline std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

// The error GetLastError gives (and clears).
inline uint32_t ErrorOf(IDispatch* o) {
  ComVariant code;
  CallByName(o, "GetLastError", DISPATCH_PROPERTYGET, {}, &code);
  return static_cast<uint32_t>(code.lVal);
}

class Log {
 public:
  void Add(const std::string& line);
  // Writes the lines to the file descriptor without allocating and without waiting for a
  // thread that holds the log: for a crash's signal handler and the watchdog.
  void WriteNow(int fd) const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

// One event as a sink received it. `inPerformCircle`: fired on the thread of a PerformCircle
// call before it returned (its checks' OnStatusChange(1) and (7)), not by a run's worker.
struct Event {
  DISPID dispid;
  LONG value;
  bool inPerformCircle;
};

inline std::string Describe(const Event& e) {
  return e.dispid == DISPID_OnStatusChange          ? "status " + std::to_string(e.value)
         : e.dispid == DISPID_PerformCircleComplete ? "complete " + std::to_string(e.value)
                                                    : "graphics closed";
}
inline bool IsStatus(const Event& e, LONG value) {
  return e.dispid == DISPID_OnStatusChange && e.value == value;
}
inline bool IsComplete(const Event& e) {
  return e.dispid == DISPID_PerformCircleComplete;
}

struct Client;
class Session;

// A sink that records every event and, when it has a plan, acts on its component from inside
// the handler: the plan's action for the n-th event it receives.
class Sink final : public SinkStub<IDispatch> {
 public:
  HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 UINT*) override;
  std::vector<Event> Events() const;

  Client* client = nullptr;
  std::vector<const char*> plan;              // null: do nothing
  std::function<void(const Event&)> onEvent;  // a scenario's own handler, after the plan's

 private:
  mutable std::mutex mutex_;
  std::vector<Event> events_;
};

// One component as the client holds it.
struct Client {
  Session* session = nullptr;
  int32_t index = 0;
  std::string tag;  // "c1", "c2", ...: names the component in the log and in problems
  std::shared_ptr<vexa_sim::SimulatedMachine> machine;
  ComPtr<IVexa_link> link;
  // The object while it lives; a handler calls it through this, as a sink calls the object
  // that fires its events, without a reference of its own.
  IDispatch* raw = nullptr;
  ombrixdc::CircleDCComponent* component = nullptr;
  ComPtr<Sink> sinks[2];
  CMaPoint start;  // where GetStartPosition put the start

  // The client's one reference; Release takes it.
  std::mutex refMutex;
  ComPtr<IDispatch> ref;
  std::atomic<bool> destroyed{false};
  // By the last Release inside a handler or while a run went on: a complete may be lost.
  std::atomic<bool> destroyedMidRun{false};

  std::atomic<int32_t> accepted{0};  // PerformCircle calls answered S_OK
  std::atomic<int32_t> refused{0};   // ... answered S_FALSE
};

class Session {
 public:
  Session(Seed seed, std::string name);

  // Adds a component on a fresh machine, initialised and prepared for a learning run.
  Client& AddClient();
  // Calls one action on `c` as `actor` ("client", "second", "handler"); its arguments are
  // drawn from `rng`. Returns the call's HRESULT (S_FALSE when the object was gone).
  HRESULT Act(Client& c, const std::string& action, std::mt19937& rng, const char* actor);
  // Prepares `c` for a run (initialise, parameters, start position, probe offsets) in the
  // run directory `workingFolder` of the session's folder.
  void Prepare(Client& c, const std::string& workingFolder = "Default");
  // A random session: clients, plans and faults drawn from the seed.
  void RunRandom();
  // Waits until no run of `c` is going and none can be started by its handlers.
  void Quiesce(Client& c);
  // Releases the client's reference if it still holds one.
  void ReleaseClient(Client& c, const char* actor);
  // The client's reference, or null once released.
  ComPtr<IDispatch> Acquire(Client& c);
  // After the random calls: on each component still alive, in a run directory of its own, a
  // run with no fault (which takes up any abort left pending), then a run with a fault drawn
  // from `rng`, each checked for its error code, its events and the lock.
  void FinalRuns(std::mt19937& rng);
  // Checks a run of `c` that ended after its second sink's `from`-th event: exactly one
  // PerformCircleComplete, with `success`, as GetPerformCircleComplete says, and GetLastError
  // `code` (any when none is given); `what` names the run in a problem.
  void ExpectRunEnd(Client& c, size_t from, LONG success, std::optional<uint32_t> code,
                    const std::string& what);

  // Runs `body`, releases every component once its runs are over and checks the invariants;
  // prints the problems and the log when a check fails. True when every invariant held.
  bool RunAndCheck(const std::function<void(Session&)>& body);
  void Fail(const std::string& problem);

  const Seed seed;
  const std::string name;
  Log log;
  std::vector<std::unique_ptr<Client>> clients;
  std::atomic<bool> calm{false};  // handlers stop acting

 private:
  // Releases `held`, a reference to c's object, noting whether that destroyed it.
  void Dropped(Client& c, IDispatch* held, const char* actor);

  TempFolder folder_;
  std::string settingsFile_;
  std::vector<std::string> problems_;
  std::mutex problemsMutex_;
};

// The faults the simulated controller can be given (the first is none); each with the error
// code a learning run on it then ends with. The last, tip reads failing, stays in force after
// its run and makes PerformCircle's own probe check fail: only final runs are given it.
using FaultInjection = std::function<void(vexa_sim::SimulatedMachine& machine)>;
struct Fault {
  const char* name;
  uint32_t code;
  FaultInjection inject;
};
const std::vector<Fault>& Faults();
void ClearFaults(vexa_sim::SimulatedMachine& machine);

// The fixed sessions of the faults found by hand, run before every random one.
struct Scenario {
  const char* name;
  void (*run)(Session& session);
};
const std::vector<Scenario>& Scenarios();

}  // namespace torture
