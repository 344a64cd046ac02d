#include "src/procedures/run_limits.h"

#include <algorithm>

namespace ombrixdc {

namespace {
constexpr double kLongestExpectedSeconds = 3600.0;
}  // namespace

std::chrono::milliseconds RunTimeLimits::For(double expectedSeconds) const {
  const double seconds = std::clamp(expectedSeconds, 0.0, kLongestExpectedSeconds);
  return std::chrono::milliseconds(baseMilliseconds) +
         std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000.0 * factor));
}

}  // namespace ombrixdc
