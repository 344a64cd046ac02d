// Connecting to the controller and preparing a run: InitialiseObject and GetStartPosition with
// the settings read and the system settings file.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "src/component/circle_dc_component.h"
#include "src/component/process_state.h"
#include "src/component/start_position_input.h"
#include "src/files/system_settings_file.h"
#include "src/services/controller_objects.h"
#include "src/services/controller_query.h"
#include "src/services/run_directory.h"
#include "src/services/settings_read.h"

namespace ombrixdc {

HRESULT CircleDCComponent::InitialiseObject(IVexa_link* link, IVexa_axis_position_and_status* ps,
                                            LONG* success) {
  if (!success) {
    return E_POINTER;
  }
  // The objects are made first and put in place together, under the lock that every reader
  // of them takes.
  ControllerObjects made;
  made.link = link;
  made.axisStatus = ps;
  if (!link) {
    {
      std::lock_guard lock(controllerMutex_);
      Link = made.link;
      AxisStatus = made.axisStatus;
    }
    RecordError(ErrorNumber::ParameterCheck, "InitialiseObject was given no link");
    Status = E_OMBRIX_DC_CIRCLE_NOT_INITIALISED;
    *success = 0;
    return S_FALSE;
  }
  HRESULT hr = S_OK;
  if (!made.axisStatus) {
    hr = CreateControllerObject(CLSID_Vexa_axis_position_and_status, &made.axisStatus);
  }
  if (SUCCEEDED(hr)) {
    hr = CreateControllerObject(CLSID_Vexa_stop, &made.stop);
  }
  if (SUCCEEDED(hr)) {
    hr = CreateControllerObject(CLSID_Vexa_circle_scan, &made.circleScan);
  }
  if (SUCCEEDED(hr)) {
    hr = CreateControllerObject(CLSID_Vexa_move_target, &made.moveTarget);
  }
  if (SUCCEEDED(hr)) {
    hr = CreateControllerObject(CLSID_Vexa_move, &made.move);
  }
  {
    // Objects made before a failure are kept, the rest are missing: the parameter check then
    // refuses a run rather than mix objects of two connections.
    std::lock_guard lock(controllerMutex_);
    Link = made.link;
    AxisStatus = made.axisStatus;
    Stop = made.stop;
    CircleScan = made.circleScan;
    MoveTarget = made.moveTarget;
    Move = made.move;
  }
  if (FAILED(hr)) {
    *success = 0;
    return hr;
  }
  LONG ignored = 0;
  made.move->InitialiseObject(link, made.axisStatus.Get(), &ignored);
  *success = 0;
  made.axisStatus->InitialiseObject(link, success);
  return S_OK;
}

bool CircleDCComponent::ReadSettings(std::string& reason) {
  const OptionalText iniFile = IniFilepath.Get();
  const SettingsReadResult read = ReadTuningSettings(ProbeType.Get(), iniFile.value_or(""));
  if (!read.storeCreated) {
    reason = "the controller's settings store cannot be created";
    return false;
  }
  if (!read.ok) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string path = iniFile.value_or("");
    const std::string file = "the settings file " + path;
    std::FILE* opened = std::fopen(path.c_str(), "r");
    const std::string whyNotOpened = opened ? std::string() : std::strerror(errno);
    if (opened) {
      std::fclose(opened);
    }
    reason = !fs::exists(path, ec)        ? file + " does not exist"
             : fs::is_directory(path, ec) ? file + " is a folder"
             : !whyNotOpened.empty()      ? file + " cannot be read: " + whyNotOpened
             : !read.missing.empty()      ? file + " has no " + read.missing
                                          : file + " cannot be read";
  }
  const TuningSettings& v = read.values;
  ProcessRunControlState().positionalTolerance = v.positionalTolerance;
  KnownPartScanAcceleration.Set(v.knownPartScanAcceleration);
  BufferPitch.Set(v.bufferPitch);
  DCMapPitch.Set(v.dcMapPitch);
  DCSpeedFactor.Set(v.dcSpeedFactor);
  DCStartAngle.Set(v.dcStartAngle);
  ScanSettlingTime.Set(v.scanSettlingTime);
  TimeOut.Set(v.timeOut);
  const std::string runDirectory = FormRunDirectory(v.workingDirectory, WorkingFolder.Get());
  RunDirectory.Set(runDirectory);
  CreateRunDirectory(runDirectory);
  return read.ok;
}

namespace {

// The component's properties the system settings file supplies, each with its value in the
// file: `visit(property, value)` for each pair.
template <class Visit>
void ForEachSystemSetting(CircleDCComponent& c, SystemSettings& v, Visit visit) {
  visit(c.MeasuringUnit, v.measuringUnit);
  visit(c.HeadAngleA, v.headAngleA);
  visit(c.HeadAngleB, v.headAngleB);
  visit(c.ProbeType, v.probeType);
  visit(c.ProbeOffsets, v.probeOffsets);
  visit(c.Centre, v.centre);
  visit(c.Xaxis, v.xaxis);
  visit(c.Normal, v.normal);
}

// A property's current value; the probe offsets are always entered when this is read.
template <class T>
T ValueOf(const T& value) {
  return value;
}
template <class T>
T ValueOf(const std::optional<T>& value) {
  return *value;
}

}  // namespace

ErrorNumber CircleDCComponent::ReadSystemSettingsFile() {
  if (OfflineTesting.Get() == 0) {
    return ErrorNumber::None;
  }
  // Offline, the offsets come from the file (or are zero): offsets entered before are dropped.
  ProbeOffsets.Set(CMaPoint(0.0, 0.0, 0.0));

  const OptionalText runDirectory = RunDirectory.Get();
  std::optional<TokenReader> reader;
  if (runDirectory) {
    reader = TokenReader::FromFile(RunDirectoryPath(*runDirectory) / "System.dat");
  }

  SystemSettings values;  // the defaults of a missing file
  MapMatchTolerances& tolerances = ProcessMapMatchTolerances();
  RunControlState& run = ProcessRunControlState();
  ErrorNumber error = ErrorNumber::None;
  if (reader) {
    // A value the file cannot give keeps what the component held.
    ForEachSystemSetting(
        *this, values, [](const auto& property, auto& value) { value = ValueOf(property.Get()); });
    values.tolerances = tolerances.Get();
    values.positionalTolerance = run.positionalTolerance;
    error = ReadSystemSettings(*reader, values);
    tolerances.Set(values.tolerances);
    run.positionalTolerance = values.positionalTolerance;
  }
  ForEachSystemSetting(*this, values,
                       [](auto& property, const auto& value) { property.Set(value); });
  return error;
}

namespace {

void ApplyQuery(CircleDCComponent& c, const ControllerQueryResult& query) {
  if (query.probe) {
    c.MeasuringUnit.Set(query.probe->measuringUnit);
    c.ProbeType.Set(query.probe->probeType);
  }
  if (query.head) {
    c.HeadAngleA.Set(query.head->angleA);
    c.HeadAngleB.Set(query.head->angleB);
  }
  if (query.frame) {
    c.Centre.Set(query.frame->centre);
    c.Normal.Set(query.frame->normal);
    c.Xaxis.Set(query.frame->xaxis);
  }
}

}  // namespace

HRESULT CircleDCComponent::GetStartPosition(double* x, double* y, double* z, LONG* success) {
  if (!x || !y || !z || !success) {
    return E_POINTER;
  }
  *x = *y = *z = 0.0;

  bool queryOk = true;
  if (OfflineTesting.Get() != 0) {
    ProbeType.Set(1);  // the system settings file supplies the rest
  } else {
    const ControllerObjects controller = Controllers();
    const ControllerQueryResult query =
        QueryController(controller.link.Get(), controller.axisStatus.Get());
    ApplyQuery(*this, query);
    queryOk = query.ok;
  }
  if (!queryOk) {
    RecordError(ErrorNumber::ParameterCheck,
                "the controller gave no probe, head or feature frame for the start position");
  }

  const auto missing = [&]() -> const char* {
    if (!(ModeFastSpeed() > 0.0)) {
      return Mode.Get() == E_OMBRIX_DC_CIRCLE_MODE_INPUT_SPEED
                 ? "ModeParameter is not greater than 0"
                 : "MaxScanSpeed is not greater than 0";
    }
    if (!(FeatureRadius.Get() > 0.0)) {
      return "FeatureRadius is not greater than 0";
    }
    if (!(TipRadius.Get() > 0.0)) {
      return "TipRadius is not greater than 0";
    }
    return IniFilepath.Get() ? nullptr : "IniFilepath is not set (the machine's settings file)";
  }();
  if (missing) {
    RecordError(ErrorNumber::ParameterCheck, missing);
  } else if (std::string reason; !ReadSettings(reason)) {
    RecordError(ErrorNumber::Settings, std::move(reason));
  }
  if (const ErrorNumber error = ReadSystemSettingsFile(); error != ErrorNumber::None) {
    RecordError(error, "System.dat in the run directory " + RunDirectory.Get().value_or("") +
                           " is damaged");
  }

  if (LastErrorNumber.load() != 0) {
    Status = E_OMBRIX_DC_CIRCLE_NOT_INITIALISED;
    *success = 0;
    return S_FALSE;
  }

  const StartPositionResult start = ComputeStartPosition(StartPositionInputOf(*this));
  if (!start.refusal.empty()) {
    RecordError(ErrorNumber::ParameterCheck, start.refusal);
    Status = E_OMBRIX_DC_CIRCLE_NOT_INITIALISED;
    *success = 0;
    return S_FALSE;
  }
  *x = start.point.x();
  *y = start.point.y();
  *z = 0.0;
  StartPosition.Set(CMaPoint(*x, *y, 0.0));
  *success = 1;
  return S_OK;
}

}  // namespace ombrixdc
