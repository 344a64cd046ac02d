// The Python module `ombrixdc`: a circle dynamic compensation component on the simulated
// controller, scripted through its automation interface.
//
//   dc = ombrixdc.Component(machine="machine.ini")
//   dc.set(IniFilepath="settings.ini", Learning=1, FeatureRadius=8.0, TipRadius=1.5)
//   run = dc.perform_circle()
//   slow = dc.get_data(ombrixdc.SLOW)
#include <pybind11/functional.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <unordered_set>

#include "python/circle_dc_session.h"
#include "src/procedures/map_inventory.h"

namespace py = pybind11;
using namespace ombrixdc_python;

namespace {

constexpr const char* kDataSetNames[] = {"Slow",    "Fast",    "Corrected",
                                         "SlowMap", "FastMap", "CorrectedMap"};

// ombrixdc.Error(code, text): raised for every refused call.
py::object& ErrorClass() {
  static py::object error;
  return error;
}

template <class F>
auto Translating(F&& call) {
  try {
    return call();
  } catch (const CallError& failure) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", failure.code);
    py::object error = ErrorClass()(std::string(code) + ": " + failure.text);
    error.attr("code") = failure.code;
    error.attr("text") = failure.text;
    PyErr_SetObject(ErrorClass().ptr(), error.ptr());
    throw py::error_already_set();
  }
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

py::object DataSetObject(const DataSet& data) {
  py::dict fields;
  fields["form"] = data.form;
  fields["radius"] = data.radius;
  fields["centre"] = py::make_tuple(data.centreX, data.centreY, data.centreZ);
  fields["x"] = py::array_t<double>(static_cast<py::ssize_t>(data.x.size()), data.x.data());
  fields["y"] = py::array_t<double>(static_cast<py::ssize_t>(data.y.size()), data.y.data());
  fields["z"] = py::array_t<double>(static_cast<py::ssize_t>(data.z.size()), data.z.data());
  return py::module_::import("types").attr("SimpleNamespace")(**fields);
}

class Component {
 public:
  Component(const std::string& machine, bool offline, const py::kwargs& properties)
      : session_(Translating([&] { return std::make_unique<CircleDCSession>(machine); })) {
    if (offline) {
      Translating([&] { Session().Put("OfflineTesting", int32_t{1}); });
    }
    LiveComponents().insert(this);
    Set(properties);
  }
  ~Component() {
    Close();
    LiveComponents().erase(this);
  }

  // Releases the component (closing its viewer) while the interpreter can still take the
  // events that raises; every later call raises ombrixdc.Error.
  void Close() {
    // A run's or the viewer's thread may be raising an event that waits for the interpreter
    // lock.
    py::gil_scoped_release release;
    session_.reset();
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
    RunOutcome outcome;
    {
      py::gil_scoped_release release;
      outcome = Session().PerformCircle(probeOffsets, std::chrono::duration<double>(timeout));
    }
    py::list events;
    for (const Event& event : outcome.events) {
      events.append(EventTuple(event));
    }
    py::dict fields;
    fields["events"] = events;
    fields["success"] = outcome.success ? py::cast(*outcome.success) : py::none();
    fields["last_error"] = outcome.lastError;
    fields["error_text"] = outcome.lastError ? ErrorText(outcome.lastError) : std::string();
    fields["ok"] = outcome.success == 1 && outcome.lastError == 0;
    return py::module_::import("types").attr("SimpleNamespace")(**fields);
  }

  py::object GetData(py::object type) {
    if (!type.is_none()) {
      const auto data = Translating([&] { return Session().GetData(type.cast<int32_t>()); });
      return data ? DataSetObject(*data) : py::none();
    }
    py::dict sets;
    for (int32_t kind = 0; kind < 6; ++kind) {
      if (const auto data = Translating([&] { return Session().GetData(kind); })) {
        sets[kDataSetNames[kind]] = DataSetObject(*data);
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

 private:
  CircleDCSession& Session() {
    if (!session_) {
      Translating([]() -> int {
        throw CallError{static_cast<uint32_t>(E_FAIL), "the component was closed"};
      });
    }
    return *session_;
  }
  std::unique_ptr<CircleDCSession> session_;
};

// One dictionary for each map number of a run directory, with the keys and values of
// `ombrixdc maps list --json`.
py::list ListMaps(const std::string& directory) {
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
  ErrorClass() = py::reinterpret_borrow<py::object>(
      PyErr_NewExceptionWithDoc("ombrixdc.Error",
                                "A refused call: .code (the HRESULT or GetLastError code) and "
                                ".text (what it means)",
                                PyExc_RuntimeError, nullptr));
  module.attr("Error") = ErrorClass();
  const char* const constants[] = {"SLOW",     "FAST",     "CORRECTED",
                                   "SLOW_MAP", "FAST_MAP", "CORRECTED_MAP"};
  for (int32_t kind = 0; kind < 6; ++kind) {
    module.attr(constants[kind]) = kind;
  }
  module.attr("DATA_SET_NAMES") =
      py::make_tuple("Slow", "Fast", "Corrected", "SlowMap", "FastMap", "CorrectedMap");
  module.def("error_text", &ErrorText, py::arg("code"), "What an error code means");
  module.def("list_maps", &ListMaps, py::arg("directory"),
             "The stored map pairs of a run directory: one dict for each map number, as "
             "'ombrixdc maps list --json' prints them");

  py::class_<Component>(module, "Component",
                        "A component on the simulated controller. Keyword arguments set "
                        "properties by their automation names.")
      .def(py::init<const std::string&, bool, const py::kwargs&>(), py::arg("machine") = "",
           py::arg("offline") = false)
      .def("set", &Component::Set, "Set properties: dc.set(FeatureRadius=8.0, Learning=1)")
      .def("get", &Component::Get, py::arg("name"), "A property's value by its automation name")
      .def("on_event", &Component::SetCallback, py::arg("callback"),
           "callback(name, value) for each event as it arrives, on the run's thread; None "
           "removes it")
      .def("perform_circle", &Component::PerformCircle,
           py::arg("probe_offsets") = std::array<double, 3>{0.0, 0.0, 0.0},
           py::arg("timeout") = 600.0,
           "Asks the start position, moves there, runs and waits; returns .events, .success, "
           ".last_error, .error_text and .ok")
      .def("get_data", &Component::GetData, py::arg("type") = py::none(),
           "One data set (.form, .radius, .centre, .x, .y, .z as NumPy arrays) or None; without "
           "a type, a dict of every data set that holds data")
      .def("save_data", &Component::SaveData, py::arg("name"),
           "Writes the data sets file NAME in the run directory")
      .def("show_graphics", &Component::ShowGraphics, py::arg("left") = 0, py::arg("top") = 0,
           py::arg("width") = 0, py::arg("height") = 0, py::arg("filename") = "",
           "Opens the Radial Error View (needs a display)")
      .def("graphics_closed", &Component::GraphicsClosed)
      .def("abort", &Component::Abort)
      .def_property_readonly("last_error", &Component::LastError)
      .def("close", &Component::Close, "Releases the component and closes its viewer")
      .def("__enter__", [](py::object self) { return self; })
      .def("__exit__", [](Component& self, py::args) { self.Close(); });
  py::module_::import("atexit").attr("register")(py::cpp_function([] {
    const std::unordered_set<Component*> live = Component::LiveComponents();
    for (Component* component : live) {
      component->Close();
    }
  }));
}
