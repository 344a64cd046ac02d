#pragma once
// The one table of every error the system reports: its name, the number kept in
// LastErrorNumber, the code GetLastError hands the client, and what it means. Numbers 1 to 14
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
  // The platform's generic failure: the link refused its lock without a code of its own.
  LockRefusedWithoutCode = 0x80004005u,
};

struct ErrorEntry {
  std::string_view name;
  int32_t number;  // as kept in LastErrorNumber
  uint32_t code;   // as GetLastError returns it
  std::string_view meaning;
};

inline constexpr uint32_t kComponentErrorBase = 0x83100000u;

// Every error, in number order, then the controller codes.
inline constexpr std::array kErrorTable{
    ErrorEntry{"ParameterCheck", 1, kComponentErrorBase + 1,
               "a run parameter, the link or the start position query is missing or invalid"},
    ErrorEntry{"Settings", 2, kComponentErrorBase + 2,
               "the tuning settings are missing, unreadable or not positive"},
    ErrorEntry{"StartPositionOrOffsets", 3, kComponentErrorBase + 3,
               "no start position was computed or no probe offsets were entered"},
    ErrorEntry{"ProbeNotAtStart", 4, kComponentErrorBase + 4,
               "the probe is not at the start position, or a move did not complete"},
    ErrorEntry{"ExtendedStatus", 5, kComponentErrorBase + 5,
               "the scan did not finish properly or its points do not make a profile"},
    ErrorEntry{"StoredMapUnusable", 6, kComponentErrorBase + 6,
               "a stored map, raw scan file or map pair cannot be read or written, or a data "
               "sets file name is not a bare name"},
    ErrorEntry{"NoData", 7, kComponentErrorBase + 7,
               "no data for the asked data set, or the data sets file cannot be written"},
    ErrorEntry{"WorkerNotStarted", 8, kComponentErrorBase + 8,
               "the system would not start the run's worker thread"},
    ErrorEntry{"NoStoredMap", 9, kComponentErrorBase + 9,
               "learning is off and no stored map matches the feature"},
    ErrorEntry{"IllegalParameter", 10, kComponentErrorBase + 10,
               "the controller reports an illegal parameter"},
    ErrorEntry{"ProbeHitDuringMove", 11, kComponentErrorBase + 11,
               "the controller reports a probe hit during a move"},
    ErrorEntry{"MeasuringDatumLost", 12, kComponentErrorBase + 12,
               "the controller reports that the measuring datum is lost"},
    ErrorEntry{"ExtendedStatusBit40", 13, kComponentErrorBase + 13,
               "the controller's extended status ends the scan with bit 0x40"},
    ErrorEntry{"RunDirectory", 14, kComponentErrorBase + 14,
               "the run directory is missing or cannot be entered"},
    ErrorEntry{"TimeoutDuringMoveOrScan", static_cast<int32_t>(0x81600038u), 0x81600038u,
               "a move or scan did not end in time; the machine was stopped"},
    ErrorEntry{"QrlNotResponding", static_cast<int32_t>(0x8160003Au), 0x8160003Au,
               "the probe's controller does not respond"},
    ErrorEntry{"EmergencyStopActive", static_cast<int32_t>(0x8160003Cu), 0x8160003Cu,
               "the emergency stop is active"},
    ErrorEntry{"CrashSwitchActive", static_cast<int32_t>(0x8160003Du), 0x8160003Du,
               "the crash switch is active"},
    ErrorEntry{"AirPressureLow", static_cast<int32_t>(0x8160003Eu), 0x8160003Eu,
               "the air pressure is low"},
    ErrorEntry{"ScaleReadingFailure", static_cast<int32_t>(0x8160003Fu), 0x8160003Fu,
               "a scale could not be read"},
    ErrorEntry{"ServoMotorsDisengaged", static_cast<int32_t>(0x81600040u), 0x81600040u,
               "the servo motors are disengaged"},
    ErrorEntry{"OverspeedDetected", static_cast<int32_t>(0x81600041u), 0x81600041u,
               "an axis ran over speed"},
    ErrorEntry{"XMotorOverdriven", static_cast<int32_t>(0x81600042u), 0x81600042u,
               "the x motor is overdriven"},
    ErrorEntry{"YMotorOverdriven", static_cast<int32_t>(0x81600043u), 0x81600043u,
               "the y motor is overdriven"},
    ErrorEntry{"ZMotorOverdriven", static_cast<int32_t>(0x81600044u), 0x81600044u,
               "the z motor is overdriven"},
    ErrorEntry{"LimitSwitchOpenDuringMove", static_cast<int32_t>(0x81600045u), 0x81600045u,
               "a limit switch opened during a move"},
    ErrorEntry{"MarkerHitDuringMove", static_cast<int32_t>(0x81600046u), 0x81600046u,
               "a marker was hit during a move"},
    ErrorEntry{"DataBufferOverflow", static_cast<int32_t>(0x81600047u), 0x81600047u,
               "the controller's data buffer overflowed"},
    ErrorEntry{"ExcessiveProbeDeflection", static_cast<int32_t>(0x81600048u), 0x81600048u,
               "the probe was deflected too far"},
    ErrorEntry{"ScanNotFinished", static_cast<int32_t>(0x81600049u), 0x81600049u,
               "the controller's extended status ends the scan with bit 0x20"},
    ErrorEntry{"LockRefusedWithoutCode", static_cast<int32_t>(0x80004005u), 0x80004005u,
               "the controller refused its lock without saying why"},
};

// The value kept in LastErrorNumber for a named error or controller code.
constexpr int32_t Number(ErrorNumber error) {
  return static_cast<int32_t>(error);
}
constexpr int32_t Number(ControllerCode code) {
  return static_cast<int32_t>(static_cast<uint32_t>(code));
}

// The table's entry for a recorded value; nullptr for 0 and for a value it does not list.
constexpr const ErrorEntry* FindError(int32_t number) {
  for (const ErrorEntry& entry : kErrorTable) {
    if (entry.number == number)
      return &entry;
  }
  return nullptr;
}

// What GetLastError returns for a recorded value: the table's code; 0 for no error; any value
// the table does not list (a controller code it does not name) passes through unchanged.
constexpr uint32_t ErrorCode(int32_t number) {
  const ErrorEntry* entry = FindError(number);
  return entry ? entry->code : static_cast<uint32_t>(number);
}
constexpr uint32_t ErrorCode(ErrorNumber error) {
  return ErrorCode(Number(error));
}

// When the step `from` failed, copies its error into the caller's `to` and returns true; the
// caller then returns `to` at once. Both are results with an `error` member.
template <class From, class To>
bool PassOnFailure(const From& from, To& to) {
  if (from.error == ErrorNumber::None)
    return false;
  to.error = from.error;
  return true;
}

}  // namespace ombrixdc
