#include "src/files/system_settings_file.h"

#include <array>

#include "src/files/labelled_values.h"

namespace ombrixdc {

namespace {

// The file's values in their order. The three labels scanned for begin its groups of lines.
std::array<LabelledValue, 15> SystemSettingsValues(SystemSettings& v) {
  constexpr LabelSearch kAnchor = LabelSearch::LastLabelWord;
  MatchTolerances& t = v.tolerances;
  return {{
      {.label = "MeasuringUnit (0 mm, 1 inches): ", .value = &v.measuringUnit, .search = kAnchor},
      {.label = "HeadAngleA: ", .value = &v.headAngleA},
      {.label = "HeadAngleB: ", .value = &v.headAngleB},
      {.label = "ProbeType: ", .value = &v.probeType},
      {.label = "ProbeOffsets: ", .value = &v.probeOffsets},
      {.label = "Centre: ", .value = &v.centre, .search = kAnchor},
      {.label = "Xaxis: ", .value = &v.xaxis},
      {.label = "Normal: ", .value = &v.normal},
      {.label = "ToleranceCentre: ", .value = &t.centre, .search = kAnchor},
      {.label = "ToleranceRadius: ", .value = &t.radius},
      {.label = "ToleranceSpeed: ", .value = &t.speed},
      {.label = "ToleranceAcceleration: ", .value = &t.acceleration},
      {.label = "ToleranceStartAngle: ", .value = &t.startAngle},
      {.label = "ToleranceFine: ", .value = &t.fine},
      {.label = "PositionalTolerance: ", .value = &v.positionalTolerance},
  }};
}

}  // namespace

ErrorNumber ReadSystemSettings(TokenReader& reader, SystemSettings& values) {
  return ReadLabelledValues(reader, SystemSettingsValues(values))
             ? ErrorNumber::None
             : ErrorNumber::SystemSettingsFileDamaged;
}

}  // namespace ombrixdc
