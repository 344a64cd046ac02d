#pragma once
// The fixed angle grid on which slow and fast profiles are compared: one revolution starting
// one step past the start angle (the +Y axis), one step per DCMapPitch of arc on the feature.
#include <cstddef>
#include <optional>

#include "platform/trivell/geometry.h"
#include "src/engine/profile.h"

namespace ombrixdc {

// MapGridStartAngle: pi/2, the +Y axis, where every prepared profile starts.
inline constexpr double kMapGridStartAngle = 1.5707963267948966;

// A step so fine that the grid would have more angles than this is a settings mistake (an arc
// pitch under a millionth of the radius); it would otherwise allocate gigabytes, or loop
// without end once the step falls below the rounding of the angle.
inline constexpr std::size_t kMaxMapGridAngles = std::size_t{1} << 24;

// The grid angles for an arc pitch on a feature of the given radius: with step
// s = mapPitch / featureRadius, startAngle + s, then each angle the previous one plus s, for
// as long as the angle stays below startAngle + 2*pi. None (and nothing allocated) when s is
// not positive and finite, or gives no angle or more than kMaxMapGridAngles.
[[nodiscard]] std::optional<CMaDoubleArray> MapGridAngles(double mapPitch, double featureRadius,
                                                          double startAngle);

// Angles of two grids agree when they differ by no more than the rounding of the digits a
// file holds them with.
inline constexpr double kGridAngleAgreement = 1e-9;

// The same number of angles, each within kGridAngleAgreement of its partner.
[[nodiscard]] bool SameGridAngles(const CMaDoubleArray& a, const CMaDoubleArray& b);

// The profile interpolated at every grid angle by four-point Lagrange interpolation. A grid
// angle in [T[1], T[n-2]) uses the two samples either side of it; one before T[1] or at or
// after T[n-2] uses the first two and the last two samples of the revolution.
// Fails with ErrorNumber::Settings for an unusable grid step, and with kUnusableScan when the
// profile has fewer than four samples, arrays of different lengths, or angles that do not
// strictly increase. Linear in samples plus grid angles.
DataSetResult ResampleToMapGrid(double mapPitch, double featureRadius, double startAngle,
                                const CMaDoubleArray& radii, const CMaDoubleArray& angles);

// Every grid angle with the radius of the least-squares circle of the profile's points.
// Fails like ResampleToMapGrid for the grid, and with kUnusableScan when the arrays differ in
// length or their points carry no circle.
DataSetResult FitToMapGrid(double mapPitch, double featureRadius, double startAngle,
                           const CMaDoubleArray& radii, const CMaDoubleArray& angles);

// A function of angle known at `nodeAngles` (strictly increasing, spanning less than one
// revolution) and repeating every revolution, evaluated at each of `at` by four-point Lagrange
// interpolation through the two nodes either side, taken round the revolution's end where
// needed. None when there are fewer than four nodes, the arrays differ in length, or the
// angles are not finite, strictly increasing and within one revolution.
[[nodiscard]] std::optional<CMaDoubleArray> InterpolatePeriodic(const CMaDoubleArray& nodeAngles,
                                                                const CMaDoubleArray& nodeValues,
                                                                const CMaDoubleArray& at);

}  // namespace ombrixdc
