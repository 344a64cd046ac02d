#include "src/component/process_state.h"

namespace ombrixdc {

RunControlState& ProcessRunControlState() {
  static RunControlState state;
  return state;
}

MatchTolerances MapMatchTolerances::Get() const {
  std::lock_guard lock(mutex_);
  return tolerances_;
}

void MapMatchTolerances::Set(const MatchTolerances& tolerances) {
  std::lock_guard lock(mutex_);
  tolerances_ = tolerances;
}

MapMatchTolerances& ProcessMapMatchTolerances() {
  static MapMatchTolerances tolerances;
  return tolerances;
}

ProcessTimeLimits& ProcessRunTimeLimits() {
  static ProcessTimeLimits limits;
  return limits;
}

}  // namespace ombrixdc
