// A settings file read through the controller's INI settings store (the tuning values before a
// run and the viewer's two values) and as a machine description, from any bytes: the values
// that come out are finite and held to their ranges.
#include <cmath>

#include "fuzz/fuzz_support.h"
#include "platform/vexa/ini_file.h"
#include "platform/vexa/machine_description.h"
#include "platform/vexa/simulated_machine.h"
#include "src/services/settings_read.h"

using namespace ombrixdc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = (vexa_sim::RegisterSimulatedController(), true);
  (void)registered;
  const std::string& path = fuzz::ScratchFile(fuzz::Text(data, size));
  const SettingsReadResult tuning = ReadTuningSettings(1, path);
  FUZZ_CHECK(tuning.storeCreated);
  const TuningSettings& v = tuning.values;
  FUZZ_CHECK(std::isfinite(v.positionalTolerance) && v.positionalTolerance >= 0.0);
  FUZZ_CHECK(v.dcSpeedFactor >= 0.1 && v.dcSpeedFactor <= 10.0);
  FUZZ_CHECK(v.dcStartAngle >= 30.0 && v.dcStartAngle <= 120.0);
  const std::optional<ViewerSettings> viewer = ReadViewerSettings(path);
  FUZZ_CHECK(viewer && std::isfinite(viewer->slowSpeedRepeatability));
  FUZZ_CHECK(vexa_sim::IsReadableIniFile(path) == vexa_sim::ReadIniEntries(path).has_value());
  std::string error;
  if (!vexa_sim::LoadMachineDescription(path, &error)) {
    FUZZ_CHECK(!error.empty());  // a refused description says why
  }
  return 0;
}
