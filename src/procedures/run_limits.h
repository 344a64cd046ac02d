#pragma once
// Waits and limits of the measuring procedures.
#include <chrono>
#include <cstdint>

namespace ombrixdc {

// Wait limit for the controller link's lock, in the link's unit (milliseconds).
inline constexpr int32_t kLockWaitLimit = 1000;

// Moves are polled at this interval.
inline constexpr std::chrono::milliseconds kMovePollInterval{30};

// A length given in millimetres, in the machine's measuring unit (0 mm, 1 inches).
constexpr double InMeasuringUnit(double millimetres, int32_t measuringUnit) {
  return measuringUnit == 1 ? millimetres / 25.4 : millimetres;
}

// After the slow scan a straight move follows the rotation when the tip is farther than this
// from the start position (in millimetres; the same length on an inch machine).
inline constexpr double kReturnDistanceThresholdMm = 2.0;

// A move or a scan whose controller never reports it finished would hold the run forever.
// Each gets `factor` times its expected duration plus `base` (by default ten times plus a
// minute); then the machine is stopped and the run fails with the controller's own
// "timeout during move or scan" code.
struct RunTimeLimits {
  int64_t baseMilliseconds = 60'000;
  double factor = 10.0;

  // base + factor * expectedSeconds (the expected duration capped at an hour).
  std::chrono::milliseconds For(double expectedSeconds) const;
};

}  // namespace ombrixdc
