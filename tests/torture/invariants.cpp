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
// itself refused (probe not at the start) belongs to no run.
std::vector<std::string> SequenceProblems(const std::vector<Event>& events) {
  std::vector<std::string> problems;
  int32_t ending = 0;
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
      const LONG expected = ending == 5 ? 1 : 0;
      if (e.value != expected) {
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
      problems.push_back(problem + " (event " + std::to_string(i) + ": ... " + context + ")");
    }
  }
  return problems;
}

// The PerformCircleComplete events from the `from`-th event on; `last` takes the last one's.
int32_t Completes(const std::vector<Event>& events, size_t from, LONG* last) {
  int32_t count = 0;
  for (size_t i = from; i < events.size(); ++i) {
    if (IsComplete(events[i])) {
      ++count;
      *last = events[i].value;
    }
  }
  return count;
}

}  // namespace

void Session::Fail(const std::string& problem) {
  std::lock_guard lock(problemsMutex_);
  problems_.push_back(problem);
  log.Add("CHECK FAILED: " + problem);
}

void Session::FinalRuns(std::mt19937& rng) {
  std::vector<std::pair<Client*, ComPtr<IDispatch>>> alive;
  for (auto& c : clients) {
    if (ComPtr<IDispatch> o = Acquire(*c)) {
      ClearFaults(*c->machine);
      Prepare(*c, o.Get(), "final" + std::to_string(c->index));
      alive.emplace_back(c.get(), o);
    }
  }
  for (const Fault* fault : {&Faults()[0], &Faults()[rng() % Faults().size()]}) {
    std::vector<size_t> before;
    for (auto& [c, o] : alive) {
      ClearFaults(*c->machine);
      fault->inject(*c->machine);
      before.push_back(c->sinks[1]->Events().size());
      if (Act(*c, "PerformCircle", rng, "final") != S_OK) {
        Fail(c->tag + ": a run on '" + fault->name + "' refused");
      }
    }
    for (size_t i = 0; i < alive.size(); ++i) {
      Client& c = *alive[i].first;
      IDispatch* o = alive[i].second.Get();
      Quiesce(c);
      // The run without a fault takes up an abort the random calls left pending.
      const std::vector<Event> events = c.sinks[1]->Events();
      const bool aborted = std::any_of(events.begin() + static_cast<ptrdiff_t>(before[i]),
                                       events.end(), [](const Event& e) { return IsStatus(e, 6); });
      ExpectRunEnd(c, o, before[i], fault->code == 0 && !aborted ? 1 : 0, fault->code,
                   c.tag + " on '" + fault->name + "': ");
    }
  }
}

void Session::ExpectRunEnd(Client& c, IDispatch* o, size_t from, LONG success,
                           std::optional<uint32_t> code, const std::string& what) {
  LONG last = -1, completed = 0, reported = 0;
  if (Completes(c.sinks[1]->Events(), from, &last) != 1) {
    Fail(what + "not exactly one PerformCircleComplete");
  }
  CallByName(o, "GetPerformCircleComplete", DISPATCH_METHOD,
             {Ref(VT_I4, &completed), Ref(VT_I4, &reported)});
  ComVariant error;
  CallByName(o, "GetLastError", DISPATCH_PROPERTYGET, {}, &error);
  if (last != success || completed != 1 || reported != success ||
      static_cast<uint32_t>(error.lVal) != code.value_or(error.lVal)) {
    Fail(what + "PerformCircleComplete(" + std::to_string(last) + "), GetPerformCircleComplete " +
         std::to_string(completed) + ", " + std::to_string(reported) + ", GetLastError " +
         Hex(error.lVal) + "; expected success " + std::to_string(success) +
         (code ? ", code " + Hex(*code) : ""));
  }
}

std::vector<std::string> Session::Check(int32_t baselineThreads) {
  std::vector<std::string> problems;
  // First, until every run's thread has gone: an object released inside a handler lives until
  // its run has ended, which then gives the lock back.
  if (!ThreadCountFallsTo(baselineThreads, kThreadsGoneMilliseconds)) {
    problems.push_back(std::to_string(ThreadCount()) + " threads left, " +
                       std::to_string(baselineThreads) + " before the session");
  }
  for (auto& c : clients) {
    const std::string n = c->tag + ": ";
    LONG last = 0;
    int32_t completes[2] = {};
    for (int32_t s = 0; s < 2; ++s) {
      const std::vector<Event> events = c->sinks[s]->Events();
      for (const std::string& p : SequenceProblems(events)) {
        problems.push_back(n + "sink " + std::to_string(s) + ": " + p);
      }
      completes[s] = Completes(events, 0, &last);
    }
    // A run whose component was destroyed from the first sink's handler cannot report its end,
    // nor the event being handled to the second sink; one whose component was released while
    // it went on reports nothing more.
    const int32_t lost = c->destroyedInHandler || c->destroyedDuringRun ? 1 : 0;
    if (completes[1] > completes[0] || completes[1] < completes[0] - lost ||
        completes[0] < c->accepted - lost || completes[0] > c->accepted + c->refused) {
      problems.push_back(n + std::to_string(completes[0]) + " and " + std::to_string(completes[1]) +
                         " completes for " + std::to_string(c->accepted.load()) + " accepted and " +
                         std::to_string(c->refused.load()) + " refused PerformCircle calls");
    }
    if (!c->destroyed) {
      problems.push_back(n + "not destroyed by the client's last Release");
    }
    if (c->machine->LockHeld() || c->machine->LocksGranted() != c->machine->LocksReleased()) {
      problems.push_back(n + "controller lock granted " +
                         std::to_string(c->machine->LocksGranted()) + " times, released " +
                         std::to_string(c->machine->LocksReleased()));
    }
  }
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
    const std::vector<std::string> incomplete = IncompleteMapPairs(entry.path());
    problems.insert(problems.end(), incomplete.begin(), incomplete.end());
  }
  std::lock_guard lock(problemsMutex_);
  problems.insert(problems.begin(), problems_.begin(), problems_.end());
  return problems;
}

bool RunAndCheck(Session& session, const std::function<void(Session&)>& body) {
  std::promise<void> done;
  std::thread watchdog([&session, ended = done.get_future()] {
    if (ended.wait_for(kSessionLimit) == std::future_status::timeout) {
      std::fprintf(stderr, "torture: session '%s' (seed %llu) hung; its calls:\n",
                   session.name.c_str(), static_cast<unsigned long long>(session.seed));
      session.log.WriteNow(2);
      std::abort();
    }
  });
  const int32_t baseline = ThreadCount();
  body(session);
  session.calm = true;
  for (auto& c : session.clients) {
    session.Quiesce(*c);
    session.ReleaseClient(*c, "client");
  }
  const std::vector<std::string> problems = session.Check(baseline);
  done.set_value();
  watchdog.join();
  if (problems.empty()) {
    return true;
  }
  std::fprintf(stderr, "torture: session '%s' (seed %llu) FAILED:\n", session.name.c_str(),
               static_cast<unsigned long long>(session.seed));
  for (const std::string& p : problems) {
    std::fprintf(stderr, "  %s\n", p.c_str());
  }
  std::fprintf(stderr, "its calls and events:\n");
  session.log.WriteNow(2);
  return false;
}

}  // namespace torture
