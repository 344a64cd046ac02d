#pragma once
// What the controller reports about the probe, the head and the feature frame before a run.
#include <cstdint>
#include <optional>

#include "platform/trivell/geometry.h"
#include "platform/vexa/interfaces.h"

namespace ombrixdc {

struct ProbeReport {
  int32_t measuringUnit = 0;
  int32_t probeType = 0;
  int32_t headFlag = 0;
};

struct HeadReport {
  double angleA = 0.0;
  double angleB = 0.0;
};

struct FrameReport {
  CMaPoint centre;
  CMaPoint normal;  // feature z axis direction
  CMaPoint xaxis;
};

// Each part is present when it was read. `ok` is false when the probe information or the head
// could not be read, or the frame object could not be created.
struct [[nodiscard]] ControllerQueryResult {
  bool ok = true;
  std::optional<ProbeReport> probe;
  std::optional<HeadReport> head;
  std::optional<FrameReport> frame;
};

ControllerQueryResult QueryController(IVexa_link* link, IVexa_axis_position_and_status* ps);

}  // namespace ombrixdc
