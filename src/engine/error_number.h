#pragma once
// The one table of every error the system reports: its name, the number kept in
// LastErrorNumber, the code GetLastError hands the client, and what it means. Numbers 1 to 15
// are the component's own (code 0x83100000 + n); controller codes (0x816000nn) and the
// platform's generic failure are recorded as themselves and pass through unchanged.
// Everything below the component passes errors around as these named values.
#include <array>
#include <cstdint>
#include <string_view>

namespace ombrixdc {

// Several names share a number where clients have always read one number for related
// failures; the name says which failure it is.
enum class ErrorNumber : int32_t {
  None = 0,
  ParameterCheck = 1,
  SystemSettingsFileDamaged = 1,
  Settings = 2,
  StartPositionOrOffsets = 3,
  ProbeNotAtStart = 4,
  MoveFailed = 4,
  ExtendedStatus = 5,
  UnusableScan = 5,
  StoredMapUnusable = 6,
  RawScanFileFailed = 6,
  MapPairNotWritten = 6,
  DataSetsFileNameInvalid = 6,
  NoData = 7,
  DataSetsFileNotWritten = 7,
  WorkerNotStarted = 8,
  NoStoredMap = 9,
  IllegalParameter = 10,
  ProbeHitDuringMove = 11,
  MeasuringDatumLost = 12,
  ExtendedStatusBit40 = 13,
  RunDirectory = 14,
  ViewModule = 15,
};

// Codes the controller reports, recorded unchanged.
enum class ControllerCode : uint32_t {
  TimeoutDuringMoveOrScan = 0x81600038u,
  QrlNotResponding = 0x8160003Au,
  EmergencyStopActive = 0x8160003Cu,
  CrashSwitchActive = 0x8160003Du,
  AirPressureLow = 0x8160003Eu,
  ScaleReadingFailure = 0x8160003Fu,
  ServoMotorsDisengaged = 0x81600040u,
  OverspeedDetected = 0x81600041u,
  XMotorOverdriven = 0x81600042u,
  YMotorOverdriven = 0x81600043u,
  ZMotorOverdriven = 0x81600044u,
  LimitSwitchOpenDuringMove = 0x81600045u,
  MarkerHitDuringMove = 0x81600046u,
  DataBufferOverflow = 0x81600047u,
  ExcessiveProbeDeflection = 0x81600048u,
  ScanNotFinished = 0x81600049u,
  // The simulated controller's own codes (platform/vexa/simulated_machine.h).
  LockWaitTimedOut = 0x81600050u,
  NoMachine = 0x81600060u,
  IllegalScanParameter = 0x81600061u,
  MachineBusy = 0x81600062u,
  MachineDisengaged = 0x81600063u,
  TipNotRead = 0x81600064u,
  LockNotHeld = 0x81600065u,
  // The platform's generic failure: the controller refused its lock or a scan without a code
  // of its own. A failed run never ends with error number 0.
  FailedWithoutCode = 0x80004005u,
};

// The value kept in LastErrorNumber for a named error or controller code.
constexpr int32_t Number(ErrorNumber error) {
  return static_cast<int32_t>(error);
}
constexpr int32_t Number(ControllerCode code) {
  return static_cast<int32_t>(static_cast<uint32_t>(code));
}

// One recorded error as it travels from the step that failed to the component that records
// it: a named error, a controller code, or none. Its value comes from the names above; a bare
// number enters only as a code a controller object reported.
class Error {
 public:
  constexpr Error() = default;
  // Implicit: a named error or a controller code is an Error as it stands.
  constexpr Error(ErrorNumber error) : number_(Number(error)) {}
  constexpr Error(ControllerCode code) : number_(Number(code)) {}
  // A number from outside the table's names, kept unchanged (0: none): what a controller
  // object's GetLastError reported, or what LastErrorNumber already holds.
  static constexpr Error FromNumber(int32_t code) {
    Error error;
    error.number_ = code;
    return error;
  }

  // The value kept in LastErrorNumber.
  constexpr int32_t Recorded() const { return number_; }
  constexpr bool IsNone() const { return number_ == 0; }
  friend constexpr bool operator==(Error, Error) = default;

 private:
  int32_t number_ = 0;
};

struct ErrorEntry {
  std::string_view name;
  int32_t number;  // as kept in LastErrorNumber
  uint32_t code;   // as GetLastError returns it
  std::string_view meaning;
};

inline constexpr uint32_t kComponentErrorBase = 0x83100000u;

// A component's own error: its code is the base plus its number.
constexpr ErrorEntry Own(std::string_view name, ErrorNumber number, std::string_view meaning) {
  return {name, Number(number), kComponentErrorBase + static_cast<uint32_t>(number), meaning};
}
// A controller code: recorded and returned as itself.
constexpr ErrorEntry PassedOn(std::string_view name, ControllerCode code,
                              std::string_view meaning) {
  return {name, Number(code), static_cast<uint32_t>(code), meaning};
}

// Every error, in number order, then the controller codes.
inline constexpr std::array kErrorTable{
    Own("ParameterCheck", ErrorNumber::ParameterCheck,
        "a run parameter, the link or the start position query is missing or invalid"),
    Own("Settings", ErrorNumber::Settings,
        "the tuning settings are missing, unreadable or not positive"),
    Own("StartPositionOrOffsets", ErrorNumber::StartPositionOrOffsets,
        "no start position was computed or no probe offsets were entered"),
    Own("ProbeNotAtStart", ErrorNumber::ProbeNotAtStart,
        "the probe is not at the start position, or a move did not complete"),
    Own("ExtendedStatus", ErrorNumber::ExtendedStatus,
        "the scan did not finish properly or its points do not make a profile"),
    Own("StoredMapUnusable", ErrorNumber::StoredMapUnusable,
        "a stored map, raw scan file or map pair cannot be read or written, or a data "
        "sets file name is not a bare name"),
    Own("NoData", ErrorNumber::NoData,
        "no data for the asked data set, or the data sets file cannot be written"),
    Own("WorkerNotStarted", ErrorNumber::WorkerNotStarted,
        "the system would not start the run's worker thread"),
    Own("NoStoredMap", ErrorNumber::NoStoredMap,
        "learning is off and no stored map matches the feature"),
    Own("IllegalParameter", ErrorNumber::IllegalParameter,
        "the controller reports an illegal parameter"),
    Own("ProbeHitDuringMove", ErrorNumber::ProbeHitDuringMove,
        "the controller reports a probe hit during a move"),
    Own("MeasuringDatumLost", ErrorNumber::MeasuringDatumLost,
        "the controller reports that the measuring datum is lost"),
    Own("ExtendedStatusBit40", ErrorNumber::ExtendedStatusBit40,
        "the controller's extended status ends the scan with bit 0x40"),
    Own("RunDirectory", ErrorNumber::RunDirectory,
        "the run directory is missing or cannot be entered"),
    Own("ViewModule", ErrorNumber::ViewModule,
        "the view module that draws the Radial Error View (libombrixdc-view.so) is missing "
        "or cannot be loaded"),
    PassedOn("TimeoutDuringMoveOrScan", ControllerCode::TimeoutDuringMoveOrScan,
             "a move or scan did not end in time; the machine was stopped"),
    PassedOn("QrlNotResponding", ControllerCode::QrlNotResponding,
             "the probe's controller does not respond"),
    PassedOn("EmergencyStopActive", ControllerCode::EmergencyStopActive,
             "the emergency stop is active"),
    PassedOn("CrashSwitchActive", ControllerCode::CrashSwitchActive, "the crash switch is active"),
    PassedOn("AirPressureLow", ControllerCode::AirPressureLow, "the air pressure is low"),
    PassedOn("ScaleReadingFailure", ControllerCode::ScaleReadingFailure,
             "a scale could not be read"),
    PassedOn("ServoMotorsDisengaged", ControllerCode::ServoMotorsDisengaged,
             "the servo motors are disengaged"),
    PassedOn("OverspeedDetected", ControllerCode::OverspeedDetected, "an axis ran over speed"),
    PassedOn("XMotorOverdriven", ControllerCode::XMotorOverdriven, "the x motor is overdriven"),
    PassedOn("YMotorOverdriven", ControllerCode::YMotorOverdriven, "the y motor is overdriven"),
    PassedOn("ZMotorOverdriven", ControllerCode::ZMotorOverdriven, "the z motor is overdriven"),
    PassedOn("LimitSwitchOpenDuringMove", ControllerCode::LimitSwitchOpenDuringMove,
             "a limit switch opened during a move"),
    PassedOn("MarkerHitDuringMove", ControllerCode::MarkerHitDuringMove,
             "a marker was hit during a move"),
    PassedOn("DataBufferOverflow", ControllerCode::DataBufferOverflow,
             "the controller's data buffer overflowed"),
    PassedOn("ExcessiveProbeDeflection", ControllerCode::ExcessiveProbeDeflection,
             "the probe was deflected too far"),
    PassedOn("ScanNotFinished", ControllerCode::ScanNotFinished,
             "the controller's extended status ends the scan with bit 0x20"),
    PassedOn("LockWaitTimedOut", ControllerCode::LockWaitTimedOut,
             "the controller's lock was not free within the wait limit"),
    PassedOn("NoMachine", ControllerCode::NoMachine,
             "the controller has no machine: no link, a link of another controller, or an "
             "object not initialised"),
    PassedOn("IllegalScanParameter", ControllerCode::IllegalScanParameter,
             "the controller refused the circle scan: a number not finite or not positive, a "
             "ScanDirection or BoreOrBoss other than 0 or 1, too many points, or a path (for a "
             "bore, less the tip's radius) that does not stay clear of the centre"),
    PassedOn("MachineBusy", ControllerCode::MachineBusy, "another motion is running"),
    PassedOn("MachineDisengaged", ControllerCode::MachineDisengaged,
             "the machine's drives are disengaged"),
    PassedOn("TipNotRead", ControllerCode::TipNotRead, "the probe tip's position cannot be read"),
    PassedOn("LockNotHeld", ControllerCode::LockNotHeld,
             "a command came without the controller's lock held"),
    PassedOn("FailedWithoutCode", ControllerCode::FailedWithoutCode,
             "the controller refused its lock or a scan without saying why"),
};

// The table's entry for a recorded value; nullptr for 0 and for a value it does not list.
constexpr const ErrorEntry* FindError(int32_t number) {
  for (const ErrorEntry& entry : kErrorTable) {
    if (entry.number == number) {
      return &entry;
    }
  }
  return nullptr;
}

// What GetLastError returns for a recorded value: the table's code; 0 for no error; any value
// the table does not list (a controller code it does not name) passes through unchanged.
constexpr uint32_t ErrorCode(int32_t number) {
  for (const ErrorEntry& entry : kErrorTable) {
    if (entry.number == number) {
      return entry.code;
    }
  }
  return static_cast<uint32_t>(number);
}
constexpr uint32_t ErrorCode(ErrorNumber error) {
  return ErrorCode(Number(error));
}

// The table's entry for a code GetLastError returned; nullptr for 0 and unlisted codes.
constexpr const ErrorEntry* FindErrorCode(uint32_t code) {
  for (const ErrorEntry& entry : kErrorTable) {
    if (entry.code == code) {
      return &entry;
    }
  }
  return nullptr;
}

// When the step `from` failed, copies its error into the caller's `to` and returns true; the
// caller then returns `to` at once. Both are results with an `error` member.
template <class From, class To>
[[nodiscard]] bool PassOnFailure(const From& from, To& to) {
  if (from.error == ErrorNumber::None) {
    return false;
  }
  to.error = from.error;
  return true;
}

}  // namespace ombrixdc
