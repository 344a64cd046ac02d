// The Python module `ombrixdc`: a circle dynamic compensation component on the simulated
// controller, scripted through its automation interface.
//
//   dc = ombrixdc.Component(machine="machine.ini")
//   dc.set(IniFilepath="settings.ini", Learning=1, FeatureRadius=8.0, TipRadius=1.5)
//   dc.scan_deflection = 0.3
//   run = dc.perform_circle()
//   slow = dc.get_data("Slow")
//
// The enumerations, the result dataclasses and the property attributes are defined in Python
// (module_types.cpp); ombrixdc.pyi describes the whole module for type checkers.
#include <pybind11/functional.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <unordered_set>

#include "platform/text/ascii.h"
#include "python/circle_dc_session.h"
#include "python/module_types.h"
#include "src/component/automation/type_library.h"
#include "src/procedures/map_inventory.h"

namespace py = pybind11;
using namespace ombrixdc_python;

namespace {

constexpr const char* kDataSetNames[] = {"Slow",    "Fast",    "Corrected",
                                         "SlowMap", "FastMap", "CorrectedMap"};
constexpr int32_t kDataSetCount = 6;

// ombrixdc.Error(code, text): raised for every refused call.
py::object& ErrorClass() {
  static py::object error;
  return error;
}

// Raises ombrixdc.Error for a refused call; needs the interpreter lock.
[[noreturn]] void Raise(const CallError& failure) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", failure.code);
  py::object error = ErrorClass()(std::string(code) + ": " + failure.text);
  error.attr("code") = failure.code;
  error.attr("text") = failure.text;
  PyErr_SetObject(ErrorClass().ptr(), error.ptr());
  throw py::error_already_set();
}

// Runs a call with the interpreter lock held, turning a CallError into ombrixdc.Error.
template <class F>
auto Translating(F&& call) {
  try {
    return call();
  } catch (const CallError& failure) {
    Raise(failure);
  }
}

py::object ModuleAttribute(const char* name) {
  return py::module_::import("ombrixdc").attr(name);
}

// A data set type from a number or a name ("Slow", "slow_map", "CORRECTED_MAP", any case).
int32_t DataSetType(const py::handle& type) {
  if (py::isinstance<py::str>(type)) {
    std::string wanted = type.cast<std::string>();
    std::erase(wanted, '_');
    for (int32_t kind = 0; kind < kDataSetCount; ++kind) {
      if (AsciiEqualsIgnoringCase(kDataSetNames[kind], wanted)) {
        return kind;
      }
    }
    throw py::value_error("unknown data set " + py::repr(type).cast<std::string>() +
                          "; the data sets are Slow, Fast, Corrected, SlowMap, FastMap and "
                          "CorrectedMap");
  }
  if (py::isinstance<py::int_>(type)) {
    const int32_t kind = type.cast<int32_t>();
    if (kind < 0 || kind >= kDataSetCount) {
      throw py::value_error("no data set " + std::to_string(kind) + "; the data sets are 0 to " +
                            std::to_string(kDataSetCount - 1));
    }
    return kind;
  }
  throw py::type_error("a data set is a DataType, its number or its name");
}

PropertyValue FromPython(const std::string& name, const py::handle& value) {
  if (py::isinstance<py::bool_>(value)) {
    return static_cast<int32_t>(value.cast<bool>());
  }
  if (py::isinstance<py::int_>(value)) {
    const auto number = value.cast<long long>();  // Python's unbounded int, checked below
    if (number >= INT32_MIN && number <= INT32_MAX) {
      return static_cast<int32_t>(number);
    }
    return static_cast<double>(number);  // refused by a whole-number property as overflow
  }
  if (py::isinstance<py::float_>(value)) {
    return value.cast<double>();
  }
  if (py::isinstance<py::str>(value)) {
    return value.cast<std::string>();
  }
  throw py::type_error(name + ": a property takes an int, a float or a str");
}

py::object ToPython(const PropertyValue& value) {
  return std::visit([](const auto& v) -> py::object { return py::cast(v); }, value);
}

py::tuple EventTuple(const Event& event) {
  return py::make_tuple(event.name, event.value ? py::cast(*event.value) : py::none());
}

py::object DataSetObject(int32_t kind, const DataSet& data) {
  py::dict fields;
  fields["name"] = kDataSetNames[kind];
  fields["form"] = data.form;
  fields["radius"] = data.radius;
  fields["centre"] = py::make_tuple(data.centreX, data.centreY, data.centreZ);
  fields["x"] = py::array_t<double>(static_cast<py::ssize_t>(data.x.size()), data.x.data());
  fields["y"] = py::array_t<double>(static_cast<py::ssize_t>(data.y.size()), data.y.data());
  fields["z"] = py::array_t<double>(static_cast<py::ssize_t>(data.z.size()), data.z.data());
  return ModuleAttribute("DataSet")(**fields);
}

// (automation name, gettable, settable, enumeration name) of every property, from the type
// library, in DISPID order.
py::list PropertyTable() {
  py::list table;
  py::dict seen;
  for (const auto& member : ombrixdc::CircleDCTypeLibrary().automation.members) {
    if (member.kind == ombrixdc::MemberKind::Method) {
      continue;
    }
    const py::str name(std::string(member.name));
    std::string enumeration;
    for (const auto& param : member.params) {
      if (param.type.type == ombrixdc::ValueType::Enumeration) {
        enumeration = std::string(param.type.name);
      }
    }
    const bool get = member.kind == ombrixdc::MemberKind::PropertyGet;
    if (seen.contains(name)) {
      py::list entry = seen[name];
      entry[get ? 1 : 2] = true;
      continue;
    }
    py::list entry;
    entry.append(name);
    entry.append(get);
    entry.append(!get);
    entry.append(enumeration.empty() ? py::object(py::none()) : py::str(enumeration));
    seen[name] = entry;
    table.append(entry);
  }
  return table;
}

class Component {
 public:
  Component(const std::string& machine, bool offline, const py::kwargs& properties)
      : session_(Translating([&] { return std::make_shared<CircleDCSession>(machine); })) {
    if (offline) {
      Translating([&] { Session().Put("OfflineTesting", int32_t{1}); });
    }
    // A refused property ends the construction without the destructor: only a component
    // that is made is closed at exit.
    Set(properties);
    LiveComponents().insert(this);
  }
  ~Component() {
    Close();
    LiveComponents().erase(this);
  }

  // Releases the component (closing its viewer) while the interpreter can still take the
  // events that raises; every later call raises ombrixdc.Error. A run that perform_circle is
  // waiting for on another thread (or on this one, from an event handler) is aborted; that
  // call keeps the component until it returns.
  void Close() {
    std::shared_ptr<CircleDCSession> closing = std::move(session_);
    if (closing && performing_) {
      closing->Abort();
    }
    // A run's or the viewer's thread may be raising an event that waits for the interpreter
    // lock.
    py::gil_scoped_release release;
    closing.reset();
  }
  // Components still open when the interpreter exits are closed before it is torn down.
  static std::unordered_set<Component*>& LiveComponents() {
    static std::unordered_set<Component*> live;
    return live;
  }

  void Set(const py::kwargs& properties) {
    for (const auto& [key, value] : properties) {
      const std::string name = key.cast<std::string>();
      const PropertyValue put = FromPython(name, value);
      Translating([&] { Session().Put(name, put); });
    }
  }
  py::object Get(const std::string& name) {
    return ToPython(Translating([&] { return Session().Get(name); }));
  }

  void SetCallback(py::object callback) {
    if (callback.is_none()) {
      Session().SetEventCallback(nullptr);
      return;
    }
    // Refused now rather than failing at every event.
    if (!PyCallable_Check(callback.ptr())) {
      throw py::type_error("on_event takes a callable (name, value) or None");
    }
    // The callable is shared, not copied: copies of the event callback are made and dropped
    // on the run's thread, where a Python reference count must not be touched without the
    // interpreter lock.
    std::shared_ptr<py::object> shared(new py::object(std::move(callback)), [](py::object* held) {
      py::gil_scoped_acquire acquire;
      delete held;
    });
    Session().SetEventCallback([shared](const Event& event) {
      if (!Py_IsInitialized() || _Py_IsFinalizing()) {
        return;  // an event after exit began (the viewer closing) has nobody to go to
      }
      py::gil_scoped_acquire acquire;
      try {
        (*shared)(event.name, event.value ? py::cast(*event.value) : py::none());
      } catch (py::error_already_set& failure) {
        failure.discard_as_unraisable("ombrixdc event callback");
      }
    });
  }

  py::object PerformCircle(const std::array<double, 3>& probeOffsets, double timeout) {
    // Refused as the command line refuses --timeout: a wait of no time, of negative time or
    // of NaN would abort every run at once.
    if (!std::isfinite(timeout) || !(timeout > 0.0)) {
      Raise({static_cast<uint32_t>(E_INVALIDARG),
             "timeout must be a finite number of seconds greater than 0"});
    }
    std::shared_ptr<CircleDCSession> session = SharedSession();  // raises when closed
    // The component holds one run at a time: a second would take over the first one's events
    // and move the probe under it.
    if (performing_) {
      Raise({static_cast<uint32_t>(E_FAIL),
             "a run of this component is under way (perform_circle on another thread)"});
    }
    performing_ = true;
    RunOutcome outcome;
    {
      py::gil_scoped_release release;
      outcome = session->PerformCircle(probeOffsets, std::chrono::duration<double>(timeout));
      // When close() came meanwhile this is the last reference: the component goes without
      // the interpreter lock, which an event of its run may be waiting for.
      session.reset();
    }
    performing_ = false;
    if (outcome.offsetsRefused) {
      Raise({static_cast<uint32_t>(E_INVALIDARG),
             "probe_offsets must be three finite numbers; the run was not started"});
    }
    if (!outcome.refusal.empty()) {
      Raise({outcome.lastError, "the run was not started: " + outcome.refusal});
    }
    py::list events;
    for (const Event& event : outcome.events) {
      events.append(EventTuple(event));
    }
    py::dict fields;
    fields["events"] = events;
    fields["success"] = outcome.success ? py::cast(*outcome.success) : py::none();
    fields["status"] = ModuleAttribute("Status")(outcome.status);
    fields["last_error"] = outcome.lastError;
    fields["error_text"] = outcome.lastError ? ErrorText(outcome.lastError) : std::string();
    fields["timed_out"] = outcome.timedOut;
    return ModuleAttribute("RunResult")(**fields);
  }

  py::object GetData(py::object type) {
    if (!type.is_none()) {
      const int32_t kind = DataSetType(type);
      const auto data = Translating([&] { return Session().GetData(kind); });
      return data ? DataSetObject(kind, *data) : py::none();
    }
    py::dict sets;
    for (int32_t kind = 0; kind < kDataSetCount; ++kind) {
      if (const auto data = Translating([&] { return Session().GetData(kind); })) {
        sets[kDataSetNames[kind]] = DataSetObject(kind, *data);
      }
    }
    return sets;
  }

  void SaveData(const std::string& name) {
    Translating([&] { Session().SaveData(name); });
  }
  void ShowGraphics(int32_t left, int32_t top, int32_t width, int32_t height,
                    const std::string& file) {
    Translating([&] { Session().ShowGraphics(left, top, width, height, file); });
  }
  bool GraphicsClosed() { return Session().GraphicsClosed(); }
  uint32_t LastError() { return Session().LastError(); }
  void Abort() { Session().Abort(); }
  bool Closed() const { return !session_; }

 private:
  // Called with the interpreter lock held: raising needs it.
  CircleDCSession& Session() { return *SharedSession(); }
  const std::shared_ptr<CircleDCSession>& SharedSession() {
    if (!session_) {
      Raise({static_cast<uint32_t>(E_FAIL), "the component was closed"});
    }
    return session_;
  }
  std::shared_ptr<CircleDCSession> session_;
  bool performing_ = false;  // a perform_circle call is waiting for its run (interpreter lock)
};

// One dictionary for each map number of a run directory, with the keys and values of
// `ombrixdc maps list --json`.
py::list ListMaps(const std::string& directory) {
  if (const std::optional<std::string> problem = ombrixdc::RunDirectoryProblem(directory)) {
    Raise({static_cast<uint32_t>(E_FAIL), *problem});
  }
  py::list records;
  for (const ombrixdc::StoredMap& map : ombrixdc::ListStoredMaps(directory)) {
    py::dict record;
    for (const ombrixdc::StoredMapField& field : ombrixdc::StoredMapFields(map)) {
      std::visit([&](const auto& value) { record[py::str(field.key)] = py::cast(value); },
                 field.value);
    }
    records.append(record);
  }
  return records;
}

}  // namespace

PYBIND11_MODULE(ombrixdc, module) {
  module.doc() = "Circle dynamic compensation on the simulated coordinate measuring machine";
  module.attr("__version__") = OMBRIXDC_VERSION;
  // NumPy's array interface is loaded now, while no other thread can be in get_data: loaded
  // there the first time, it let go of the interpreter lock under a one-time guard, and a
  // second thread calling get_data then waited on that guard for ever. Without NumPy,
  // get_data says so when it is called.
  try {
    (void)py::dtype::of<double>();
  } catch (py::error_already_set&) {
  }
  ErrorClass() = py::reinterpret_borrow<py::object>(
      PyErr_NewExceptionWithDoc("ombrixdc.Error",
                                "A refused call: .code (the HRESULT or GetLastError code) and "
                                ".text (what it means)",
                                PyExc_RuntimeError, nullptr));
  module.attr("Error") = ErrorClass();
  module.attr("DATA_SET_NAMES") =
      py::make_tuple("Slow", "Fast", "Corrected", "SlowMap", "FastMap", "CorrectedMap");
  module.def("error_text", &ErrorText, py::arg("code"), "What an error code means");
  module.def("list_maps", &ListMaps, py::arg("directory"),
             "The stored map pairs of a run directory: one dict for each map number, as "
             "'ombrixdc maps list --json' prints them");
  module.def("_property_table", &PropertyTable,
             "(name, gettable, settable, enumeration) of each property, from the type library");

  py::class_<Component>(module, "Component",
                        "A component on the simulated controller. Keyword arguments set "
                        "properties by their automation names; each property is also an "
                        "attribute by its snake_case name (dc.feature_radius = 10.0).")
      .def(py::init<const std::string&, bool, const py::kwargs&>(), py::arg("machine") = "",
           py::arg("offline") = false,
           "machine: a machine description file for the simulator (empty: the default "
           "machine); offline: replay the raw scan files of the run directory")
      .def("set", &Component::Set,
           "Sets properties by their automation names: dc.set(FeatureRadius=8.0, Learning=1); "
           "a refused value raises ombrixdc.Error")
      .def("get", &Component::Get, py::arg("name"), "A property's value by its automation name")
      .def("on_event", &Component::SetCallback, py::arg("callback"),
           "callback(name, value) for each event as it arrives, on the run's thread; None "
           "removes it")
      .def("perform_circle", &Component::PerformCircle,
           py::arg("probe_offsets") = std::array<double, 3>{0.0, 0.0, 0.0},
           py::arg("timeout") = 600.0,
           "Asks the start position, moves there, enters the probe offsets, runs and waits up "
           "to timeout seconds (then aborts the run). Returns a RunResult; a run that failed "
           "or was aborted does not raise but is not .ok. A run the component refuses to "
           "start (unusable properties or settings), offsets that are not finite and a "
           "timeout that is not a finite number above 0 raise ombrixdc.Error, as does a call "
           "while another thread's perform_circle on the component is still running.")
      .def("get_data", &Component::GetData, py::arg("type") = py::none(),
           "One data set (a DataType, its number or its name such as \"Slow\") as a DataSet, "
           "or None when it holds no data; without a type, a dict of every data set that "
           "holds data, by name")
      .def("save_data", &Component::SaveData, py::arg("name"),
           "Writes the data sets file NAME in the run directory (\".dat\" is added when NAME "
           "has no full stop); a refusal raises ombrixdc.Error")
      .def("show_graphics", &Component::ShowGraphics, py::arg("left") = 0, py::arg("top") = 0,
           py::arg("width") = 0, py::arg("height") = 0, py::arg("filename") = "",
           "Opens the Radial Error View (needs a display)")
      .def("graphics_closed", &Component::GraphicsClosed,
           "Whether the Radial Error View was closed since it was shown")
      .def("abort", &Component::Abort,
           "Asks a running run to stop the machine and end; its completion still arrives")
      .def_property_readonly("last_error", &Component::LastError,
                             "The pending error code (GetLastError); reading it clears it")
      .def_property_readonly("closed", &Component::Closed,
                             "Whether close() was called; every other call then raises")
      .def("close", &Component::Close,
           "Releases the component and closes its viewer; every later call raises "
           "ombrixdc.Error. A run that perform_circle waits for is aborted.")
      .def(
          "__enter__", [](py::object self) { return self; }, "Returns the component")
      .def(
          "__exit__", [](Component& self, py::args) { self.Close(); }, "Closes the component");
  DefinePythonTypes(module);
  py::module_::import("atexit").attr("register")(py::cpp_function([] {
    const std::unordered_set<Component*> live = Component::LiveComponents();
    for (Component* component : live) {
      component->Close();
    }
  }));
}
