#include "src/services/settings_read.h"

#include "platform/com/bstr.h"
#include "platform/vexa/interfaces.h"
#include "src/services/controller_objects.h"

namespace ombrixdc {

namespace {

// Each read keeps going after a failure so every readable value is still taken.
class SettingsReader {
 public:
  SettingsReader(IVexa_settings* store, const std::string& file) : store_(store), file_(file) {}

  double Double(const char* section, const char* key, double defaultValue) {
    double value = defaultValue;
    Track(store_->ReadDouble(ComBstr(section).Get(), ComBstr(key).Get(), defaultValue, file_.Get(),
                             &value));
    return value;
  }
  int32_t Integer(const char* section, const char* key, int32_t defaultValue) {
    LONG value = defaultValue;
    Track(store_->ReadInteger(ComBstr(section).Get(), ComBstr(key).Get(), defaultValue, file_.Get(),
                              &value));
    return value;
  }
  std::optional<std::string> String(const char* section, const char* key) {
    ComBstr value;
    Track(store_->ReadString(ComBstr(section).Get(), ComBstr(key).Get(), nullptr, file_.Get(),
                             value.Receive()));
    if (value.IsAbsent()) {
      return std::nullopt;
    }
    return value.Utf8();
  }
  bool AllSucceeded() const { return allSucceeded_; }

 private:
  void Track(HRESULT hr) {
    if (FAILED(hr)) {
      allSucceeded_ = false;
    }
  }
  IVexa_settings* store_;
  ComBstr file_;
  bool allSucceeded_ = true;
};

}  // namespace

const char* ProbeTypeSection(int32_t probeType) {
  switch (probeType) {
    case 1:
      return "KT410";
    case 4:
      return "QRL";
    case 6:
      return "KT72";
    case 7:
    case 10:
    case 15:
      return "KT19";
    default:
      return "UNKNOWN";
  }
}

SettingsReadResult ReadTuningSettings(int32_t probeType, const std::string& iniFile) {
  SettingsReadResult result;
  ComPtr<IVexa_settings> store;
  if (FAILED(CreateControllerObject(CLSID_Vexa_settings, &store)) || !store) {
    return result;
  }
  result.storeCreated = true;

  SettingsReader read(store.Get(), iniFile);
  TuningSettings& v = result.values;
  v.positionalTolerance = read.Double("MoveConfiguration", "PositionalTolerance", -1.0);
  v.knownPartScanAcceleration =
      read.Double(ProbeTypeSection(probeType), "KnownPartScanAcceleration", -1.0);
  v.bufferPitch = read.Double("OmbrixDC", "BufferPitch", -1.0);
  v.dcMapPitch = read.Double("OmbrixDC", "DCMapPitch", -1.0);
  v.dcSpeedFactor = read.Double("OmbrixDC", "DCSpeedFactor", -1.0);
  v.dcStartAngle = read.Double("OmbrixDC", "DCStartAngle", -1.0);
  v.scanSettlingTime = read.Integer("OmbrixDC", "ScanSettlingTime", 0);
  v.timeOut = read.Integer("OmbrixDC", "TimeOut", -1);
  v.workingDirectory = read.String("OmbrixDC", "WorkingDirectory");

  if (v.positionalTolerance < 0.0) {
    v.positionalTolerance = 0.01;
  }
  // -1.0 is the default passed for the three values a run cannot do without.
  const bool requiredPresent =
      v.knownPartScanAcceleration != -1.0 && v.bufferPitch != -1.0 && v.dcMapPitch != -1.0;
  if (v.dcSpeedFactor < 0.1) {
    v.dcSpeedFactor = 0.1;
  } else if (v.dcSpeedFactor > 10.0) {
    v.dcSpeedFactor = 10.0;
  }
  if (v.dcStartAngle < 30.0) {
    v.dcStartAngle = 30.0;
  } else if (v.dcStartAngle > 120.0) {
    v.dcStartAngle = 120.0;
  }
  result.ok = read.AllSucceeded() && requiredPresent;
  if (v.knownPartScanAcceleration == -1.0) {
    result.missing = std::string("[") + ProbeTypeSection(probeType) + "] KnownPartScanAcceleration";
  } else if (v.bufferPitch == -1.0) {
    result.missing = "[OmbrixDC] BufferPitch";
  } else if (v.dcMapPitch == -1.0) {
    result.missing = "[OmbrixDC] DCMapPitch";
  }
  return result;
}

std::optional<ViewerSettings> ReadViewerSettings(const std::string& iniFile) {
  ComPtr<IVexa_settings> store;
  if (FAILED(CreateControllerObject(CLSID_Vexa_settings, &store)) || !store) {
    return std::nullopt;
  }
  SettingsReader read(store.Get(), iniFile);
  ViewerSettings settings;
  settings.slowSpeedRepeatability = read.Double("OmbrixDC", "SlowSpeedRepeatability", 0.0);
  settings.workingDirectory = read.String("OmbrixDC", "WorkingDirectory");
  return settings;
}

}  // namespace ombrixdc
