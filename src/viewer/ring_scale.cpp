#include "src/viewer/ring_scale.h"

#include <algorithm>
#include <cmath>

namespace ombrixdc {

int32_t ChooseRingIndex(const std::array<double, 3>& forms) {
  const double e = std::max({forms[0], forms[1], forms[2]});
  if (!std::isfinite(e) || std::isnan(forms[0]) || std::isnan(forms[1]) || std::isnan(forms[2])) {
    return kRingCount - 1;
  }
  // Bounded before the conversion to an integer: a form of metres still takes the widest
  // rings, and no form makes the conversion overflow.
  const double scaled = std::clamp((1000.0 * e - 1.0) * (-1.0 / 3.0), -1.0e6, 1.0e6);
  const int32_t c = 1 - static_cast<int32_t>(std::trunc(scaled));
  for (int32_t i = 0; i < kRingCount; ++i) {
    if (c <= kRingIntervals[static_cast<size_t>(i)]) {
      return i;
    }
  }
  return kRingCount - 1;
}

RingIndexChoice ChooseRingIndex(const std::array<double, 3>& metrologyForms,
                                const std::array<double, 3>& normalisedForms) {
  RingIndexChoice choice;
  choice.metrologyIndex = ChooseRingIndex(metrologyForms);
  choice.normalisedIndex = ChooseRingIndex(normalisedForms);
  choice.RingIndex = std::max(choice.metrologyIndex, choice.normalisedIndex);
  return choice;
}

RingIndexChoice ChooseRingIndex(const ViewerDataSets& data) {
  const auto& s = data.sets;
  return ChooseRingIndex({s[0].form, s[1].form, s[2].form}, {s[3].form, s[4].form, s[5].form});
}

}  // namespace ombrixdc
