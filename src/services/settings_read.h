#pragma once
// The tuning values read from the controller's settings store before a run.
#include <cstdint>
#include <optional>
#include <string>

namespace ombrixdc {

struct TuningSettings {
  double positionalTolerance = 0.01;
  double knownPartScanAcceleration = -1.0;
  double bufferPitch = -1.0;
  double dcMapPitch = -1.0;
  double dcSpeedFactor = 0.1;
  double dcStartAngle = 30.0;
  int32_t scanSettlingTime = 0;
  int32_t timeOut = -1;
  std::optional<std::string> workingDirectory;
};

struct [[nodiscard]] SettingsReadResult {
  bool storeCreated = false;  // false: nothing was read and nothing may be changed
  bool ok = false;            // every read succeeded and the three required values exist
  TuningSettings values;
  // When not ok: the first required value missing ("[section] key"), or empty when a read
  // failed otherwise.
  std::string missing;
};

// The section that holds KnownPartScanAcceleration for a probe type number.
const char* ProbeTypeSection(int32_t probeType);

// Reads the nine values from `iniFile` in their fixed order, applying the ranges: a negative
// tolerance becomes 0.01; the speed factor is held to 0.1..10.0 and the start angle to
// 30..120 degrees. A missing acceleration, buffer pitch or map pitch fails the read.
SettingsReadResult ReadTuningSettings(int32_t probeType, const std::string& iniFile);

// The two values the viewer reads when it starts: the machine's repeatability at the slow
// scan speed (section OmbrixDC, default 0) and the working directory (no default).
struct ViewerSettings {
  double slowSpeedRepeatability = 0.0;
  std::optional<std::string> workingDirectory;
};
// Nothing when the settings store cannot be created; then the viewer keeps what it had.
[[nodiscard]] std::optional<ViewerSettings> ReadViewerSettings(const std::string& iniFile);

}  // namespace ombrixdc
