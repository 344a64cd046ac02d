#include "tools/ombrixdc/error_explanations.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::array kExplanations{
    ErrorExplanation{ErrorNumber::ParameterCheck, "ParameterCheck",
                     "a run property is missing or out of range (FeatureRadius, TipRadius, "
                     "SlowSpeed, ScanDeflection, FilterNumber...), or InitialiseObject got no "
                     "link"},
    ErrorExplanation{ErrorNumber::Settings, "Settings",
                     "the settings file (IniFilepath) can be read and gives "
                     "KnownPartScanAcceleration, BufferPitch and DCMapPitch greater than 0"},
    ErrorExplanation{ErrorNumber::StartPositionOrOffsets, "StartPositionOrOffsets",
                     "GetStartPosition gave a start position and EnterProbeOffsets was called "
                     "before PerformCircle"},
    ErrorExplanation{ErrorNumber::ProbeNotAtStart, "ProbeNotAtStart",
                     "the probe stands at the start position before the run and no move was "
                     "stopped"},
    ErrorExplanation{ErrorNumber::ExtendedStatus, "ExtendedStatus",
                     "the controller's status after the scan: the scan did not finish properly"},
    ErrorExplanation{ErrorNumber::StoredMapUnusable, "StoredMapUnusable",
                     "the run directory exists and its stored map (or, offline, its raw scan "
                     "files) is undamaged and fits the feature, and a data sets file name is bare"},
    ErrorExplanation{ErrorNumber::NoData, "NoData",
                     "a run filled the asked data set, and the run directory is writable for "
                     "the data sets file"},
    ErrorExplanation{ErrorNumber::NoStoredMap, "NoStoredMap",
                     "a map was learnt for this feature (radius, tip, speed, direction, type): "
                     "learn one first or set Learning to 1 or 2"},
    ErrorExplanation{ErrorNumber::IllegalParameter, "IllegalParameter",
                     "the scan parameters the controller was given (speed, deflection, points)"},
    ErrorExplanation{ErrorNumber::ProbeHitDuringMove, "ProbeHitDuringMove",
                     "the path to the start position is clear of the workpiece"},
    ErrorExplanation{ErrorNumber::MeasuringDatumLost, "MeasuringDatumLost",
                     "home the machine again: the controller lost its measuring datum"},
    ErrorExplanation{ErrorNumber::ExtendedStatusBit40, "ExtendedStatusBit40",
                     "the controller's scan status; repeat the scan at a lower speed"},
    ErrorExplanation{ErrorNumber::RunDirectory, "RunDirectory",
                     "the run directory (WorkingFolder, or WorkingDirectory in the settings "
                     "file) exists and can be entered"},
};

}  // namespace

std::string HexCode(uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", code);
  return text;
}

std::span<const ErrorExplanation> ErrorExplanations() {
  return kExplanations;
}

std::string ExplainErrorCode(uint32_t code) {
  for (const ErrorExplanation& entry : kExplanations) {
    if (ErrorCode(entry.number) == code)
      return HexCode(code) + " " + std::string(entry.name) + ": check " + std::string(entry.check);
  }
  if ((code & 0xFFFF0000u) == 0x81600000u)
    return HexCode(code) +
           " the controller's code: check the machine's state (emergency stop, air, "
           "servos, limits) and the controller's own message";
  return HexCode(code) + " an unlisted code";
}
