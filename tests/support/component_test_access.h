#pragma once
// What tests reach inside a component that production code cannot: the thread starter, to
// see a refused worker thread, and the published results, to read back chosen data sets.
#include <utility>

#include "src/component/circle_dc_component.h"

namespace ombrixdc {

struct CircleDCComponentTestAccess {
  static void SetThreadStarter(CircleDCComponent& c, CircleDCComponent::ThreadStarter starter) {
    c.startThread_ = starter;
  }
  static void PublishResults(CircleDCComponent& c, RunResults results) {
    c.PublishResults(std::move(results));
  }
};

}  // namespace ombrixdc
