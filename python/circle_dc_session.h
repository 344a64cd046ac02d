#pragma once
// One circle dynamic compensation component on the simulated controller, driven as a script
// drives it: created by its class id, properties put and read by their automation names,
// events through its connection point, and a run that waits for its end.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/com/com_ptr.h"
#include "src/component/automation/public_interface.h"

namespace vexa_sim {
class SimulatedMachine;
}

namespace ombrixdc_python {

using PropertyValue = std::variant<int32_t, double, std::string>;

// An event as it arrived: its name and its argument (none for OnGraphicsClosed).
struct Event {
  std::string name;
  std::optional<int32_t> value;
};
using EventCallback = std::function<void(const Event&)>;

// A failed call: the code (an HRESULT, or the code GetLastError returned) and its text.
struct CallError {
  uint32_t code = 0;
  std::string text;
};

struct RunOutcome {
  std::vector<Event> events;
  std::optional<int32_t> success;  // PerformCircleComplete's value; none when it never came
  uint32_t lastError = 0;
  int32_t status = 0;  // the Status property when the run was over
  bool startPositionFound = false;
  bool offsetsRefused = false;  // EnterProbeOffsets refused them: no run was started
  // The component refused to start the run (GetStartPosition or PerformCircle failed, no
  // worker ran): why, naming the parameters that are not usable. Empty when it started.
  std::string refusal;
  bool timedOut = false;  // no completion within the timeout: the run was aborted
};

struct DataSet {
  double form = 0, radius = 0, centreX = 0, centreY = 0, centreZ = 0;
  std::vector<double> x, y, z;
};

class EventCollector;

class CircleDCSession {
 public:
  // machineDescription: a machine description file for the simulator, or empty.
  // Throws CallError when the file is refused or the component cannot be created.
  explicit CircleDCSession(const std::string& machineDescription);
  ~CircleDCSession();
  CircleDCSession(const CircleDCSession&) = delete;
  CircleDCSession& operator=(const CircleDCSession&) = delete;

  // Through IDispatch by automation name; throw CallError when the object refuses.
  void Put(const std::string& name, const PropertyValue& value);
  PropertyValue Get(const std::string& name);

  // Called on the thread that raises the event, as each one arrives.
  void SetEventCallback(EventCallback callback);

  // Asks the start position, moves the simulated probe there (unless offline), enters the
  // probe offsets, runs and waits up to `timeout` for PerformCircleComplete; a run that does
  // not end in time is aborted. Offsets the component refuses start no run.
  RunOutcome PerformCircle(const std::array<double, 3>& probeOffsets,
                           std::chrono::duration<double> timeout);
  void Abort();
  uint32_t LastError();
  // nullopt when the data set holds no data.
  std::optional<DataSet> GetData(int32_t type);
  void SaveData(const std::string& name);  // throws CallError with the recorded error
  void ShowGraphics(int32_t left, int32_t top, int32_t width, int32_t height,
                    const std::string& file);
  bool GraphicsClosed();

 private:
  // Why a run with the current properties would not start, for the error `code`.
  std::string RefusalReason(uint32_t code);

  std::shared_ptr<vexa_sim::SimulatedMachine> machine_;
  ComPtr<IVexa_CircleDC> dc_;
  std::shared_ptr<EventCollector> events_;
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
  bool offline_ = false;
};

// The text for a code: the error table's meaning for a component or controller code, else a
// description of the dispatch failure.
std::string ErrorText(uint32_t code);

}  // namespace ombrixdc_python
