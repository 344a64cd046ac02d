#pragma once
// "System.dat": in offline testing, the machine and feature values that a controller would
// report, and the tolerances used to match stored maps.
#include <cstdint>

#include "platform/trivell/geometry.h"
#include "src/engine/error_number.h"
#include "src/files/map_file.h"
#include "src/files/token_reader.h"

namespace ombrixdc {

struct SystemSettings {
  int32_t measuringUnit = 0;
  double headAngleA = 0.0;
  double headAngleB = 0.0;
  int32_t probeType = 1;
  CMaPoint probeOffsets{0.0, 0.0, 0.0};
  CMaPoint centre{0.0, 0.0, 0.0};
  CMaPoint xaxis{1.0, 0.0, 0.0};
  CMaPoint normal{0.0, 0.0, 1.0};
  MatchTolerances tolerances;
  double positionalTolerance = 0.01;
};

// Reads the fifteen values in their order into `values`. A value that cannot be read keeps
// what `values` held and fails the read with SystemSettingsFileDamaged; reading goes on to the
// end of the sequence.
// Labels other than "inches):", "Centre:" and "ToleranceCentre:" are skipped unread, so
// their wording is free.
[[nodiscard]] ErrorNumber ReadSystemSettings(TokenReader& reader, SystemSettings& values);

}  // namespace ombrixdc
