// The torture client's session: its components, the actions it calls on them and the random
// sessions drawn from a seed.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/support/circle_dc_interface_table.h"
#include "tests/support/run_settings.h"
#include "tests/torture/torture.h"

namespace torture {

namespace {

// Set while this thread is inside PerformCircle, or inside one of the torture's handlers.
thread_local int32_t tInPerformCircle = 0;
thread_local int32_t tInHandler = 0;

constexpr size_t kLogLines = 4000;  // the latest lines are kept

// Every action a client calls and how often a random client calls it. A member's arguments,
// one letter each: l, d, v a reference to a LONG, a double or a VARIANT of the client's; 0 the
// value 0.0; t a random data set type (6: no such set); f a file name; k the link or (one time
// in four) none; u no object. The rows without flags are the torture's own.
struct ActionRow {
  const char* name;
  double weight;
  WORD flags;
  const char* args;
};
constexpr WORD kMethod = DISPATCH_METHOD, kGet = DISPATCH_PROPERTYGET;
const ActionRow kActions[] = {{"PerformCircle", 5, 0, ""},
                              {"Abort", 1.5, kMethod, ""},
                              {"Release", 0.3, 0, ""},
                              {"GetLastError", 2, kGet, ""},
                              {"GetPerformCircleComplete", 2, kMethod, "ll"},
                              {"GetData", 2, kMethod, "tddddvvvv"},
                              {"SaveData", 1, kMethod, "f"},
                              {"Status", 0.5, kGet, ""},
                              {"GetCurrentCircleStatus", 0.5, kMethod, ""},
                              {"Property", 2, 0, ""},
                              {"GetStartPosition", 1, kMethod, "ddd"},
                              {"EnterProbeOffsets", 1, kMethod, "000"},
                              {"InitialiseObject", 0.5, kMethod, "ku"},
                              {"ShowGraphics", 0.075, kMethod, ""},
                              {"ShowGraphicsComplete", 0.075, kMethod, ""},
                              {"GetGraphicsClosed", 0.075, kMethod, ""},
                              {"WindowHandle", 0.075, kGet, ""},
                              {"InjectFault", 0.7, 0, ""},
                              {"ClearFaults", 0.7, 0, ""}};

const char* RandomAction(std::mt19937& rng) {
  std::vector<double> weights(std::size(kActions));
  std::transform(std::begin(kActions), std::end(kActions), weights.begin(),
                 [](const ActionRow& row) { return row.weight; });
  return kActions[std::discrete_distribution<int32_t>(weights.begin(), weights.end())(rng)].name;
}

// Calls the row's member with its arguments; `what` tells what the call gave.
HRESULT CallMember(IDispatch* o, const ActionRow& row, IUnknown* link, std::mt19937& rng,
                   std::string& what) {
  LONG longs[4] = {};
  double reals[4] = {};
  ComVariant variants[4], result, file;  // `file` owns the file name passed
  std::vector<VARIANT> args;
  for (const char* a = row.args; *a; ++a) {
    const size_t i = static_cast<size_t>(a - row.args) % 4;
    args.push_back(*a == 'l'   ? Ref(VT_I4, &longs[i])
                   : *a == 'd' ? Ref(VT_R8, &reals[i])
                   : *a == 'v' ? Ref(VT_VARIANT, &variants[i])
                   : *a == '0' ? Real(0)
                   : *a == 't' ? Long(static_cast<LONG>(rng() % 7))
                   : *a == 'f' ? (static_cast<VARIANT&>(file) =
                                      Text("torture" + std::to_string(rng() % 3) + ".dat"))
                   : *a == 'k' ? Unknown(rng() % 4 ? link : nullptr)
                               : Unknown());
    what += " " + (*a == 't' ? std::to_string(args.back().lVal) : std::string(1, *a));
  }
  const HRESULT hr = CallByName(o, row.name, row.flags, args, &result);
  what += " -> " + std::to_string(result.lVal) + " " + std::to_string(longs[0]) + " " +
          std::to_string(longs[1]);
  return hr;
}

// A fault that `act` injects when a scan reaches its tenth point.
FaultInjection AtPoint10(FaultInjection act) {
  return [act](vexa_sim::SimulatedMachine& m) {
    m.OnScanPoint([&m, act](int32_t index) {
      if (index == 10) {
        act(m);
      }
    });
  };
}
FaultInjection Raise(vexa_sim::StatusFlag flag) {
  return AtPoint10([flag](vexa_sim::SimulatedMachine& m) { m.SetStatusFlag(flag, 1); });
}

}  // namespace

void Log::Add(const std::string& line) {
  static const auto start = std::chrono::steady_clock::now();
  const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
  std::lock_guard lock(mutex_);
  if (lines_.size() == kLogLines) {
    lines_.erase(lines_.begin(), lines_.begin() + kLogLines / 2);
  }
  // Indented and ended, so that WriteNow writes a line with one call.
  lines_.push_back("  " + std::to_string(static_cast<int64_t>(ms.count())) + " ms  " + line + "\n");
}

void Log::WriteNow(int fd) const {
  const std::unique_lock lock(mutex_, std::try_to_lock);  // a crash may leave it held
  for (const std::string& line : lines_) {
    (void)!write(fd, line.data(), line.size());
  }
}

const std::vector<Fault>& Faults() {
  using vexa_sim::SimulatedMachine;
  using vexa_sim::StatusFlag;
  static const std::vector<Fault> faults = {
      {"none", 0, [](SimulatedMachine&) {}},
      {"air pressure low in a scan", 0x8160003E, Raise(StatusFlag::airPressureLow)},
      {"emergency stop in a scan", 0x8160003C, Raise(StatusFlag::emergencyStopActive)},
      {"servo motors disengaged in a scan", 0x81600040, Raise(StatusFlag::servoMotorsDisengaged)},
      {"scans end badly", 0x81600049, [](SimulatedMachine& m) { m.SetExtendedStatus(1, 0x20); }},
      {"lock refused", 0x81600050, [](SimulatedMachine& m) { m.RefuseLock(0x81600050); }},
      {"moves stop half way", 0x83100004,
       [](SimulatedMachine& m) { m.FailMoves(vexa_sim::kMoveStopped); }},
      {"scans refused without a code", 0x80004005, [](SimulatedMachine& m) { m.RefuseScans(0); }},
      {"tip reads fail in a scan", 0x83100005,
       AtPoint10([](SimulatedMachine& m) { m.FailTipReadsAfter(40); })}};
  return faults;
}

void ClearFaults(vexa_sim::SimulatedMachine& m) {
  m.OnScanPoint(nullptr);
  m.RefuseLock(0);
  m.RefuseScans(std::nullopt);
  m.FailMoves(0);
  for (int32_t flag = 0; flag < static_cast<int32_t>(vexa_sim::StatusFlag::Count); ++flag) {
    m.SetStatusFlag(static_cast<vexa_sim::StatusFlag>(flag), 0);
  }
  m.FailTipReadsAfter(-1);
  m.SetExtendedStatus(1, 0x10);
}

HRESULT Sink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                     UINT*) {
  const bool withValue = params && params->cArgs == 1 && params->rgvarg[0].vt == VT_I4;
  const Event event{dispid, withValue ? params->rgvarg[0].lVal : -1, tInPerformCircle > 0};
  std::unique_lock lock(mutex_);
  const size_t n = events_.size();
  events_.push_back(event);
  lock.unlock();
  if (!client || this != client->sinks[0].Get()) {
    return S_OK;
  }
  Session& session = *client->session;
  session.log.Add(client->tag + " event " + Describe(event));
  ++tInHandler;
  // OnGraphicsClosed comes on the viewer's thread, beside a run's events: its handler acts
  // too, while another thread may release the object.
  if (n < plan.size() && plan[n] && !session.calm && !client->destroyed) {
    std::mt19937 rng(static_cast<uint32_t>(session.seed * 7919 + n * 31 + client->index));
    session.Act(*client, plan[n], rng, "handler");
  }
  if (onEvent && !client->destroyed) {
    onEvent(event);
  }
  --tInHandler;
  return S_OK;
}

std::vector<Event> Sink::Events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

Session::Session(Seed seed_, std::string name_) : seed(seed_), name(std::move(name_)) {
  vexa_sim::RegisterSimulatedController();
  settingsFile_ = folder_.Write("settings.ini", SettingsText(folder_.Path())).string();
}

Client& Session::AddClient() {
  auto c = std::make_unique<Client>();
  c->session = this;
  c->index = static_cast<int32_t>(clients.size()) + 1;
  c->tag = "c" + std::to_string(c->index);
  c->machine = std::make_shared<vexa_sim::SimulatedMachine>();
  c->link = vexa_sim::MakeSimulatedLink(c->machine);
  ComPtr<Vexa_CircleDC> object = MakeComObject<Vexa_CircleDC>();
  c->component = &object->Component();
  object.As(&c->ref);
  c->raw = c->ref.Get();
  ComPtr<IConnectionPoint> point;
  object->FindConnectionPoint(DIID__IVexa_CircleDCEvents, point.ReleaseAndGetAddressOf());
  for (ComPtr<Sink>& sink : c->sinks) {
    sink = MakeComObject<Sink>();
    sink->client = c.get();
    DWORD cookie = 0;
    point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie);
  }
  Prepare(*c);
  clients.push_back(std::move(c));
  return *clients.back();
}

void Session::Prepare(Client& c, const std::string& workingFolder) {
  // An error number still pending would make GetStartPosition fail.
  ErrorOf(c.raw);
  double start[3];
  const LONG success = PrepareThroughInvoke(c.raw, c.link.Get(),
                                            {{"FeatureRadius", Real(10.0)},
                                             {"TipRadius", Real(1.0)},
                                             {"ScanDeflection", Real(0.3)},
                                             {"SlowSpeed", Real(5.0)},
                                             {"ModeParameter", Real(50.0)},
                                             {"IniFilepath", Text(settingsFile_)},
                                             {"WorkingFolder", Text(workingFolder)},
                                             {"Learning", Long(1)}},
                                            start);
  if (success) {
    c.start = CMaPoint(start[0], start[1], start[2]);
  }
  log.Add(c.tag + " prepared, start position found: " + std::to_string(success));
}

ComPtr<IDispatch> Session::Acquire(Client& c) {
  std::lock_guard lock(c.refMutex);
  return c.ref;
}

void Session::Dropped(Client& c, IDispatch* held, const char* actor) {
  // The last reference released while a run goes cuts its events short.
  const bool running = c.component->RunInProgress();
  if (held->Release() == 0) {
    c.destroyed = true;
    c.destroyedMidRun = tInHandler > 0 || running;
    log.Add(c.tag + " destroyed by the last Release (" + actor + ")");
  }
}

void Session::ReleaseClient(Client& c, const char* actor) {
  std::unique_lock lock(c.refMutex);
  ComPtr<IDispatch> taken = std::move(c.ref);
  lock.unlock();
  if (taken) {
    log.Add(c.tag + " " + actor + " Release");
    Dropped(c, taken.Detach(), actor);
  }
}

HRESULT Session::Act(Client& c, const std::string& action, std::mt19937& rng, const char* actor) {
  if (action == "Release") {
    ReleaseClient(c, actor);
    return S_OK;
  }
  // A handler calls the object firing its event; any other thread holds a reference.
  ComPtr<IDispatch> held = tInHandler ? ComPtr<IDispatch>() : Acquire(c);
  IDispatch* o = tInHandler ? c.raw : held.Get();
  if (!o || c.destroyed) {
    return S_FALSE;
  }
  HRESULT hr = S_OK;
  std::string what = action;
  if (action == "PerformCircle") {
    // The application puts the probe at the start first, also (carelessly) during a run.
    c.machine->SetTip(c.start);
    ++tInPerformCircle;
    hr = CallByName(o, "PerformCircle", DISPATCH_METHOD, {});
    --tInPerformCircle;
    ++(hr == S_OK ? c.accepted : c.refused);
  } else if (action == "Property") {
    // Every property: a get, and a put of what it held (Learning and the texts take new
    // values), so that the run's feature stays the one the machine holds.
    const InterfaceMember& p = kCircleDCInterface[rng() % std::size(kCircleDCInterface)];
    const std::string kinds = p.kinds, name = p.name;
    ComVariant result;
    what += " " + name + " " + kinds;
    if (kinds == "p") {
      hr = PutByName(o, p.name, Long(name == "FilterMethod" ? 1 : 0));
    } else if (kinds != "m") {
      hr = CallByName(o, p.name, DISPATCH_PROPERTYGET, {}, &result);
      const bool text = p.type == 's' && name != "IniFilepath" && name != "WorkingFolder";
      if (kinds == "gp" && (name == "Learning" || text)) {
        VariantClear(&result);
        static_cast<VARIANT&>(result) = name == "Learning"
                                            ? Long(static_cast<LONG>(rng() % 3))
                                            : Text("text " + std::to_string(rng() % 100));
      }
      hr = kinds == "gp" ? PutByName(o, p.name, result) : hr;
    }
  } else if (action == "InjectFault") {
    const Fault& fault = Faults()[1 + rng() % (Faults().size() - 2)];
    fault.inject(*c.machine);
    what += " " + std::string(fault.name);
  } else if (action == "ClearFaults") {
    ClearFaults(*c.machine);
  } else {
    const auto row = std::find_if(std::begin(kActions), std::end(kActions),
                                  [&](const ActionRow& r) { return action == r.name; });
    hr = CallMember(o, *row, c.link.Get(), rng, what);
  }
  log.Add(c.tag + " " + actor + " " + what + " = " + Hex(static_cast<uint32_t>(hr)));
  if (held) {
    Dropped(c, held.Detach(), actor);
  }
  return hr;
}

void Session::Quiesce(Client& c) {
  for (;;) {
    ComPtr<IDispatch> held = Acquire(c);
    if (!held) {
      return;
    }
    c.component->WaitForRuns();
    const bool running = c.component->RunInProgress();
    // A handler that was already acting may have released the client meanwhile: this
    // reference can be the last one.
    Dropped(c, held.Detach(), "quiesce");
    if (!running) {
      return;
    }
  }
}

void Session::RunRandom() {
  std::mt19937 rng(static_cast<uint32_t>(seed));
  const int32_t count = 1 + static_cast<int32_t>(rng() % 3);
  for (int32_t i = 0; i < count; ++i) {
    Client& c = AddClient();
    c.sinks[0]->plan.resize(64, nullptr);
    for (const char*& action : c.sinks[0]->plan) {
      action = rng() % 10 < 3 ? RandomAction(rng) : nullptr;
    }
  }
  // The client's thread and a second thread, each with its own plan.
  const auto drive = [this, count](uint32_t planSeed, const char* actor) {
    std::mt19937 r(planSeed);
    const int32_t actions = 20 + static_cast<int32_t>(r() % 40);
    for (int32_t i = 0; i < actions; ++i) {
      Client& c = *clients[r() % count];
      Act(c, RandomAction(r), r, actor);
      std::this_thread::sleep_for(std::chrono::milliseconds(r() % 30));
    }
  };
  std::thread second(drive, static_cast<uint32_t>(rng()), "second");
  drive(static_cast<uint32_t>(rng()), "client");
  second.join();
  calm = true;
  for (auto& c : clients) {
    Quiesce(*c);
  }
  FinalRuns(rng);
}

}  // namespace torture
