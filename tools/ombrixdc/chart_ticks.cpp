#include "tools/ombrixdc/chart_ticks.h"

#include <cmath>
#include <initializer_list>

double TickStep(double span, int32_t count) {
  const double raw = span / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0}) {
    if (m * power >= raw) {
      return m * power;
    }
  }
  return 10.0 * power;
}
