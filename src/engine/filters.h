#pragma once
// Zero-phase low-pass filters for the radii of one scan revolution. The n samples are taken
// as equally spaced over 2*pi; each filter runs its recursion forwards and backwards round
// the closed circle, each direction twice (the second lap seeded from the end of the first so
// the start-up transient wraps round), and averages the two directions so that no undulation
// is shifted in angle.
#include <cstdint>

#include "platform/trivell/geometry.h"

namespace ombrixdc {

// First-order low-pass; filterNumber sets the cut-off (a larger number lets more of the
// profile's shape through; 0 averages the first and last samples everywhere). An input of
// fewer than two samples comes back unchanged.
CMaDoubleArray FilterFirstOrder(int32_t filterNumber, const CMaDoubleArray& input);

// Second-order low-pass, damping 0.7, natural frequency sqrt(2)*filterNumber undulations per
// revolution. filterNumber must be at least 1 (the run's parameter check ensures it). An
// input of fewer than three samples comes back unchanged.
CMaDoubleArray FilterSecondOrder(int32_t filterNumber, const CMaDoubleArray& input);

// The filter a run uses: first order for filterMethod 1, second order otherwise.
CMaDoubleArray FilterRadii(int32_t filterMethod, int32_t filterNumber, const CMaDoubleArray& input);

}  // namespace ombrixdc
