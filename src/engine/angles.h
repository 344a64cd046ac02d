#pragma once

namespace ombrixdc {

// One revolution in radians: the period of every profile, filter and map grid.
inline constexpr double kTwoPi = 6.283185307179586;

}  // namespace ombrixdc
