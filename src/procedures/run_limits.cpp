#include "src/procedures/run_limits.h"

#include <algorithm>

std::chrono::milliseconds RunTimeLimits::For(double expectedSeconds) const {
  const double seconds = std::clamp(expectedSeconds, 0.0, 3600.0);
  return std::chrono::milliseconds(baseMilliseconds.load()) +
         std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000.0 * factor.load()));
}

RunTimeLimits& ProcessRunTimeLimits() {
  static RunTimeLimits limits;
  return limits;
}
