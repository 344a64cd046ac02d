#pragma once
// Which of a run's two scans data belong to: the slow (reference) scan or the fast one.
#include <cstdint>

namespace ombrixdc {

enum class ScanKind : int32_t {
  Fast = 0,
  Slow = 1,
};

}  // namespace ombrixdc
