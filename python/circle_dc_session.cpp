#include "python/circle_dc_session.h"

#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/com/bstr.h"
#include "platform/com/class_registry.h"
#include "platform/com/object.h"
#include "platform/com/variant.h"
#include "platform/vexa/machine_description.h"
#include "platform/vexa/simulated_machine.h"
#include "src/component/automation/vexa_circle_dc.h"
#include "src/component/view_module_loader.h"
#include "src/engine/error_number.h"

using namespace ombrixdc;

namespace ombrixdc_python {

// Receives the component's events through its connection point: records each one, hands it
// to the script's callback and wakes a waiting PerformCircle at the end of a run.
class EventCollector final : public ComObject<IDispatch> {
 public:
  HRESULT GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 UINT*) override {
    Event event;
    const std::optional<int32_t> argument = params && params->cArgs == 1
                                                ? std::optional<int32_t>(params->rgvarg[0].lVal)
                                                : std::nullopt;
    if (dispid == DISPID_OnStatusChange) {
      event = {"OnStatusChange", argument};
    } else if (dispid == DISPID_PerformCircleComplete) {
      event = {"PerformCircleComplete", argument};
    } else if (dispid == DISPID_OnGraphicsClosed) {
      event = {"OnGraphicsClosed", std::nullopt};
    } else {
      return DISP_E_MEMBERNOTFOUND;
    }
    EventCallback callback;
    {
      std::lock_guard lock(mutex_);
      events_.push_back(event);
      callback = callback_;
    }
    if (callback) {
      callback(event);
    }
    if (dispid == DISPID_PerformCircleComplete) {
      std::lock_guard lock(mutex_);
      completion_ = argument.value_or(0);
      changed_.notify_all();
    }
    return S_OK;
  }

  void SetCallback(EventCallback callback) {
    std::lock_guard lock(mutex_);
    callback_ = std::move(callback);
  }
  // Forgets the events and the completion of an earlier run.
  void StartRun() {
    std::lock_guard lock(mutex_);
    events_.clear();
    completion_.reset();
  }
  std::optional<int32_t> WaitForCompletion(std::chrono::duration<double> timeout) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return completion_.has_value(); });
    return completion_;
  }
  std::vector<Event> Events() {
    std::lock_guard lock(mutex_);
    return events_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Event> events_;
  std::optional<int32_t> completion_;
  EventCallback callback_;
};

namespace {

void Check(HRESULT hr) {
  if (FAILED(hr)) {
    throw CallError{static_cast<uint32_t>(hr), ErrorText(static_cast<uint32_t>(hr))};
  }
}

// The component's class, served in this process so that it is created by its class id as a
// client creates it, without a registration in the registry store.
void RegisterComponentClass() {
  static const DWORD cookie = RegisterInProcessClass(CLSID_Vexa_CircleDC, [] {
    return static_cast<IUnknown*>(
        static_cast<IVexa_CircleDC*>(MakeComObject<Vexa_CircleDC>().Detach()));
  });
  if (cookie == 0) {
    throw CallError{static_cast<uint32_t>(E_FAIL), "the component's class could not be registered"};
  }
}

void ToVariant(const PropertyValue& value, ComVariant& variant) {
  if (const auto* number = std::get_if<int32_t>(&value)) {
    variant.vt = VT_I4;
    variant.lVal = *number;
  } else if (const auto* real = std::get_if<double>(&value)) {
    variant.vt = VT_R8;
    variant.dblVal = *real;
  } else {
    variant.vt = VT_BSTR;
    variant.bstrVal = BstrFromUtf8(std::get<std::string>(value));
  }
}

PropertyValue FromVariant(const VARIANT& variant) {
  switch (variant.vt) {
    case VT_R8:
      return variant.dblVal;
    case VT_BSTR:
      return Utf8FromBstr(variant.bstrVal);
    case VT_I4:
      return static_cast<int32_t>(variant.lVal);
    default:
      throw CallError{static_cast<uint32_t>(DISP_E_TYPEMISMATCH), "unexpected property type"};
  }
}

std::vector<double> Values(SAFEARRAY* array) {
  LONG lower = 0, upper = -1;
  if (!array || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper))) {
    return {};
  }
  std::vector<double> values;
  values.reserve(static_cast<size_t>(upper - lower + 1));
  for (LONG i = lower; i <= upper; ++i) {
    double value = 0;
    SafeArrayGetElement(array, &i, &value);
    values.push_back(value);
  }
  return values;
}

}  // namespace

CircleDCSession::CircleDCSession(const std::string& machineDescription) {
  vexa_sim::MachineConfig config;
  if (!machineDescription.empty()) {
    std::string why;
    auto loaded = vexa_sim::LoadMachineDescription(machineDescription, &why);
    if (!loaded) {
      throw CallError{static_cast<uint32_t>(E_INVALIDARG), why};
    }
    config = *loaded;
  }
  vexa_sim::RegisterSimulatedController();
  RegisterComponentClass();
  machine_ = std::make_shared<vexa_sim::SimulatedMachine>(config);
  ComPtr<IVexa_link> link = vexa_sim::MakeSimulatedLink(machine_);
  Check(CoCreateInstance(CLSID_Vexa_CircleDC, nullptr, CLSCTX_INPROC_SERVER, IID_IVexa_CircleDC,
                         reinterpret_cast<void**>(dc_.ReleaseAndGetAddressOf())));
  ComPtr<IConnectionPointContainer> container;
  Check(dc_.As(&container));
  Check(
      container->FindConnectionPoint(DIID__IVexa_CircleDCEvents, point_.ReleaseAndGetAddressOf()));
  events_ = std::shared_ptr<EventCollector>(MakeComObject<EventCollector>().Detach(),
                                            [](EventCollector* sink) { sink->Release(); });
  Check(point_->Advise(events_.get(), &cookie_));
  LONG success = 0;
  Check(dc_->InitialiseObject(link.Get(), nullptr, &success));
}

CircleDCSession::~CircleDCSession() {
  if (point_) {
    point_->Unadvise(cookie_);
  }
}

void CircleDCSession::Put(const std::string& name, const PropertyValue& value) {
  ComBstr text(name);
  LPOLESTR names[] = {text.Get()};
  DISPID dispid = 0;
  Check(dc_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid));
  ComVariant argument;
  ToVariant(value, argument);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&argument, &named, 1, 1};
  Check(dc_->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                    nullptr, nullptr));
  if (name == "OfflineTesting") {
    offline_ = std::holds_alternative<int32_t>(value) ? std::get<int32_t>(value) != 0 : offline_;
  }
}

PropertyValue CircleDCSession::Get(const std::string& name) {
  ComBstr text(name);
  LPOLESTR names[] = {text.Get()};
  DISPID dispid = 0;
  Check(dc_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid));
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  ComVariant result;
  const HRESULT hr = dc_->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                 &result, nullptr, nullptr);
  if (hr == DISP_E_MEMBERNOTFOUND) {
    throw CallError{static_cast<uint32_t>(hr), "not a property that can be read"};
  }
  Check(hr);
  return FromVariant(result);
}

void CircleDCSession::SetEventCallback(EventCallback callback) {
  events_->SetCallback(std::move(callback));
}

RunOutcome CircleDCSession::PerformCircle(const std::array<double, 3>& probeOffsets,
                                          std::chrono::duration<double> timeout) {
  RunOutcome outcome;
  events_->StartRun();
  double x = 0, y = 0, z = 0;
  LONG found = 0;
  bool started = false;  // a worker ran: its end is the run's outcome
  dc_->GetStartPosition(&x, &y, &z, &found);
  outcome.startPositionFound = found != 0;
  if (found) {
    if (!offline_) {
      machine_->SetTip(CMaPoint(x, y, z));
    }
    if (dc_->EnterProbeOffsets(probeOffsets[0], probeOffsets[1], probeOffsets[2]) != S_OK) {
      outcome.offsetsRefused = true;
      return outcome;
    }
    started = dc_->PerformCircle() == S_OK;
    if (started) {
      outcome.success = events_->WaitForCompletion(timeout);
      if (!outcome.success) {
        outcome.timedOut = true;
        dc_->Abort();  // asks the run to stop the machine; its completion still comes
        outcome.success = events_->WaitForCompletion(std::chrono::seconds(30));
      }
    } else {
      outcome.success = events_->WaitForCompletion(std::chrono::seconds(0));
    }
  }
  outcome.events = events_->Events();
  outcome.lastError = LastError();
  if (!started) {
    outcome.refusal = RefusalReason(outcome.lastError);
  }
  ECircleStatus status = E_OMBRIX_DC_CIRCLE_NOT_INITIALISED;
  dc_->get_Status(&status);
  outcome.status = static_cast<int32_t>(status);
  return outcome;
}

std::string CircleDCSession::RefusalReason(uint32_t code) {
  std::string reason = ErrorText(code);
  if (code == ErrorCode(ErrorNumber::Settings)) {
    const PropertyValue file = Get("IniFilepath");
    return reason + " (IniFilepath " +
           (std::holds_alternative<std::string>(file) ? std::get<std::string>(file) : "") + ")";
  }
  if (code != ErrorCode(ErrorNumber::ParameterCheck)) {
    return reason;
  }
  std::string unusable;
  for (const char* name : {"FeatureRadius", "TipRadius", "ScanDeflection", "MaxScanSpeed",
                           "SlowSpeed", "ModeParameter", "FilterNumber"}) {
    const PropertyValue value = Get(name);
    const double number = std::holds_alternative<double>(value)
                              ? std::get<double>(value)
                              : static_cast<double>(std::get<int32_t>(value));
    const bool usable = std::string_view(name) == "FilterNumber"
                            ? number >= 1
                            : std::isfinite(number) && number > 0.0;
    if (!usable) {
      char text[96];
      std::snprintf(text, sizeof text, "%s%s is %g", unusable.empty() ? "" : ", ", name, number);
      unusable += text;
    }
  }
  if (!unusable.empty()) {
    reason += " (" + unusable +
              "; FeatureRadius, TipRadius, ScanDeflection, MaxScanSpeed, SlowSpeed and "
              "ModeParameter must be finite and greater than 0, FilterNumber at least 1)";
  }
  return reason;
}

void CircleDCSession::Abort() {
  dc_->Abort();
}

uint32_t CircleDCSession::LastError() {
  LONG error = 0;
  dc_->get_GetLastError(&error);
  return static_cast<uint32_t>(error);
}

std::optional<DataSet> CircleDCSession::GetData(int32_t type) {
  DataSet data;
  SAFEARRAY *xs = nullptr, *ys = nullptr, *zs = nullptr;
  LONG success = 0;
  Check(dc_->GetData(static_cast<EDataType>(type), &data.form, &data.radius, &data.centreX,
                     &data.centreY, &data.centreZ, &xs, &ys, &zs, &success));
  data.x = Values(xs);
  data.y = Values(ys);
  data.z = Values(zs);
  SafeArrayDestroy(xs);
  SafeArrayDestroy(ys);
  SafeArrayDestroy(zs);
  if (!success) {
    // The component records NoData for a data set it does not have; here the answer is None,
    // and the error left pending would fail the next run.
    LastError();
    return std::nullopt;
  }
  return data;
}

void CircleDCSession::SaveData(const std::string& name) {
  ComBstr file(name);
  LONG success = 0;
  Check(dc_->SaveData(file.Get(), &success));
  if (!success) {
    const uint32_t code = LastError();
    throw CallError{code, ErrorText(code)};
  }
}

void CircleDCSession::ShowGraphics(int32_t left, int32_t top, int32_t width, int32_t height,
                                   const std::string& file) {
  ComBstr name(file);
  const HRESULT hr =
      dc_->ShowGraphics(left, top, width, height, file.empty() ? nullptr : name.Get());
  Check(hr);
  std::string noModule;
  if (hr == S_FALSE && !ombrixdc::LoadViewModule(&noModule)) {
    throw CallError{static_cast<uint32_t>(hr), noModule};
  }
  if (hr == S_FALSE) {
    const char* display = std::getenv("DISPLAY");
    throw CallError{
        static_cast<uint32_t>(hr),
        display == nullptr || *display == '\0'
            ? "no display to show the Radial Error View on (DISPLAY is not set)"
            : std::string("the Radial Error View's window could not be made on display ") +
                  display};
  }
}

bool CircleDCSession::GraphicsClosed() {
  LONG closed = 0;
  dc_->GetGraphicsClosed(&closed);
  return closed != 0;
}

}  // namespace ombrixdc_python

namespace ombrixdc_python {

std::string ErrorText(uint32_t code) {
  switch (static_cast<HRESULT>(code)) {
    case DISP_E_UNKNOWNNAME:
      return "no such property";
    case DISP_E_MEMBERNOTFOUND:
      return "not a property that can be set";
    case DISP_E_OVERFLOW:
      return "value out of range for this property";
    case DISP_E_TYPEMISMATCH:
      return "not a valid value for this property";
    default:
      break;
  }
  if (const ErrorEntry* entry = FindErrorCode(code)) {
    return std::string(entry->name) + ": " + std::string(entry->meaning);
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", code);
  return std::string("code ") + hex;
}

}  // namespace ombrixdc_python
