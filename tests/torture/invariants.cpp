// What must hold after every session, whatever the client did: each sink's events form whole
// runs in order, each accepted run fires exactly one PerformCircleComplete whose success
// matches how the run ended, a run on a known fault gives that fault's code, the controller
// lock is free, every component was destroyed by its last Release, the threads are gone and
// the run directory holds only complete map pairs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

#include "tests/support/run_checks.h"
#include "tests/torture/torture.h"

namespace torture {

namespace {

// Generous: a session's runs take seconds even in a sanitizer build on a loaded machine.
constexpr auto kSessionLimit = std::chrono::seconds(120);
// How long the threads of destroyed components may take to leave the process.
constexpr int32_t kThreadsGoneMilliseconds = 20000;

// A run's events, in order: OnStatusChange with the stages (1 to 4), one ending status, then
// PerformCircleComplete: 1 after OnStatusChange(5), 0 after (6) (aborted) or (7) (failed). A run
// that ends with no ending status ran no procedure stage (the lock refused, no stored map, an
// earlier error pending) and reports 0. The OnStatusChange(7) of a start that PerformCircle
// itself refused (probe not at the start) belongs to no run. Fails the session, naming
// `prefix`, where the order breaks; returns the number of PerformCircleComplete events.
int32_t CheckSequence(Session& s, const std::vector<Event>& events, const std::string& prefix) {
  int32_t ending = 0, completes = 0;
  bool stages = false;
  for (size_t i = 0; i < events.size(); ++i) {
    const Event& e = events[i];
    std::string problem;
    if (e.dispid == DISPID_OnStatusChange && !(e.inPerformCircle && e.value == 7)) {
      if (ending) {
        problem = e.value <= 4 ? "an event of the next run before this run's complete"
                               : "a second ending status";
      }
      if (e.value >= 2 && e.value <= 4) {
        stages = true;
      } else if (e.value >= 5) {
        ending = e.value;
      }
    } else if (IsComplete(e)) {
      ++completes;
      if (e.value != (ending == 5 ? 1 : 0)) {
        problem = "complete " + std::to_string(e.value) + " after ending status " +
                  std::to_string(ending);
      } else if (!ending && stages) {
        problem = "a run that reached its procedure failed without OnStatusChange(7)";
      }
      ending = 0;
      stages = false;
    }
    if (!problem.empty()) {
      std::string context;
      for (size_t k = i >= 6 ? i - 6 : 0; k <= i; ++k) {
        context += (k ? ", " : "") + Describe(events[k]);
      }
      s.Fail(prefix + ": " + problem + " (event " + std::to_string(i) + ": ... " + context + ")");
    }
  }
  return completes;
}

}  // namespace

void Session::Fail(const std::string& problem) {
  std::lock_guard lock(problemsMutex_);
  problems_.push_back(problem);
  log.Add("CHECK FAILED: " + problem);
}

void Session::FinalRuns(std::mt19937& rng) {
  // The components alive (held by the client: calm handlers release nothing), each with its
  // second sink's event count before the run.
  std::vector<std::pair<Client*, size_t>> alive;
  for (auto& c : clients) {
    if (Acquire(*c)) {
      ClearFaults(*c->machine);
      Prepare(*c, "final" + std::to_string(c->index));
      alive.emplace_back(c.get(), 0);
    }
  }
  for (const Fault* fault : {&Faults()[0], &Faults()[rng() % Faults().size()]}) {
    for (auto& [c, before] : alive) {
      ClearFaults(*c->machine);
      fault->inject(*c->machine);
      before = c->sinks[1]->Events().size();
      if (Act(*c, "PerformCircle", rng, "final") != S_OK) {
        Fail(c->tag + ": a run on '" + fault->name + "' refused");
      }
    }
    for (auto& [c, before] : alive) {
      Quiesce(*c);
      // The run without a fault takes up an abort the random calls left pending.
      const std::vector<Event> events = c->sinks[1]->Events();
      const bool aborted = std::any_of(events.begin() + static_cast<ptrdiff_t>(before),
                                       events.end(), [](const Event& e) { return IsStatus(e, 6); });
      ExpectRunEnd(*c, before, fault->code == 0 && !aborted ? 1 : 0, fault->code,
                   c->tag + " on '" + fault->name + "': ");
    }
  }
}

void Session::ExpectRunEnd(Client& c, size_t from, LONG success, std::optional<uint32_t> code,
                           const std::string& what) {
  const std::vector<Event> events = c.sinks[1]->Events();
  std::vector<Event> ends;
  std::copy_if(events.begin() + static_cast<ptrdiff_t>(from), events.end(),
               std::back_inserter(ends), IsComplete);
  if (ends.size() != 1) {
    Fail(what + "not exactly one PerformCircleComplete");
  }
  const LONG last = ends.empty() ? -1 : ends.back().value;
  LONG completed = 0, reported = 0;
  CallByName(c.raw, "GetPerformCircleComplete", DISPATCH_METHOD,
             {Ref(VT_I4, &completed), Ref(VT_I4, &reported)});
  const uint32_t error = ErrorOf(c.raw);
  if (last != success || completed != 1 || reported != success || error != code.value_or(error)) {
    Fail(what + "PerformCircleComplete(" + std::to_string(last) + "), GetPerformCircleComplete " +
         std::to_string(completed) + ", " + std::to_string(reported) + ", GetLastError " +
         Hex(error) + "; expected success " + std::to_string(success) +
         (code ? ", code " + Hex(*code) : ""));
  }
}

bool Session::RunAndCheck(const std::function<void(Session&)>& body) {
  std::promise<void> done;
  std::thread watchdog([ended = done.get_future()] {
    if (ended.wait_for(kSessionLimit) == std::future_status::timeout) {
      std::fputs("torture: the session hung\n", stderr);
      std::abort();  // the crash report names the session and prints its calls
    }
  });
  const int32_t baseline = ThreadCount();
  body(*this);
  calm = true;
  for (auto& c : clients) {
    Quiesce(*c);
    ReleaseClient(*c, "client");
  }
  // First, until every run's thread has gone: an object released inside a handler lives until
  // its run has ended, which then gives the lock back.
  if (!ThreadCountFallsTo(baseline, kThreadsGoneMilliseconds)) {
    Fail(std::to_string(ThreadCount()) + " threads left, " + std::to_string(baseline) +
         " before the session");
  }
  for (auto& c : clients) {
    const std::string n = c->tag + ": ";
    const int32_t completes[2] = {CheckSequence(*this, c->sinks[0]->Events(), n + "sink 0"),
                                  CheckSequence(*this, c->sinks[1]->Events(), n + "sink 1")};
    // A run whose component was destroyed from the first sink's handler cannot report its end,
    // nor the event being handled to the second sink; one whose component was released while
    // it went on reports nothing more.
    const int32_t lost = c->destroyedMidRun ? 1 : 0;
    if (completes[1] > completes[0] || completes[1] < completes[0] - lost ||
        completes[0] < c->accepted - lost || completes[0] > c->accepted + c->refused) {
      Fail(n + std::to_string(completes[0]) + " and " + std::to_string(completes[1]) +
           " completes for " + std::to_string(c->accepted.load()) + " accepted and " +
           std::to_string(c->refused.load()) + " refused PerformCircle calls");
    }
    if (!c->destroyed) {
      Fail(n + "not destroyed by the client's last Release");
    }
    if (c->machine->LockHeld() || c->machine->LocksGranted() != c->machine->LocksReleased()) {
      Fail(n + "controller lock granted " + std::to_string(c->machine->LocksGranted()) +
           " times, released " + std::to_string(c->machine->LocksReleased()));
    }
  }
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
    for (const std::string& problem : IncompleteMapPairs(entry.path())) {
      Fail(problem);
    }
  }
  done.set_value();
  watchdog.join();
  std::lock_guard lock(problemsMutex_);
  if (problems_.empty()) {
    return true;
  }
  std::fprintf(stderr, "torture: session '%s' (seed %llu) FAILED:\n", name.c_str(), seed);
  for (const std::string& p : problems_) {
    std::fprintf(stderr, "  %s\n", p.c_str());
  }
  std::fprintf(stderr, "its calls and events:\n");
  log.WriteNow(2);
  return false;
}

}  // namespace torture
