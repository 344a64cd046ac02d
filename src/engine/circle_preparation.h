#pragma once
// From the tip centres of one circle scan to a radial profile of the measured surface about
// the scan's own least-squares centre, and back again.
#include <cstddef>
#include <cstdint>

#include "platform/trivell/geometry.h"
#include "src/engine/error_number.h"
#include "src/engine/profile.h"

namespace ombrixdc {

// The error a run fails with when a scan cannot become a profile: it does not reach the +Y
// axis and come round to the first quadrant again, it is fewer than four samples, a sample
// lies exactly at the fitted centre, or its points carry no circle. It is the number a client
// already reads as "the scan itself went wrong" (the controller's check after a scan);
// the stored-map number 6 would send the user looking at map files that are fine.
inline constexpr ErrorNumber kUnusableScan = ErrorNumber::UnusableScan;

// The map grid interpolation needs four samples; a shorter profile cannot be compensated.
inline constexpr std::size_t kMinProfileSamples = 4;

// The probe deflections recorded beside the tip points. They ride along with the points when
// a scan is reversed and trimmed but take no part in the compensation. A deflection read can
// fail while the tip read succeeded, so a list may be shorter than the tip lists.
struct DeflectionLists {
  CMaDoubleArray a;
  CMaDoubleArray b;
  CMaDoubleArray c;
};

struct [[nodiscard]] PreparedScan {
  // None, or kUnusableScan; then the profile is empty and must not be used.
  ErrorNumber error = ErrorNumber::None;
  RadialProfile profile;
  // Least-squares centre of the raw tip points (x and y carry the information). The caller
  // keeps it as the slow or the fast scan's centre.
  CMaPoint centre;
};

// Fits a circle to the tip centres x, y, centres the scan on it, reverses an anticlockwise
// scan (scanDirection 1) so that samples run with increasing angle, trims it to one
// revolution that starts at the first sample at or past the +Y axis and ends at the last
// first-quadrant sample, and turns every sample into the surface radius (tip radius added
// for a bore, subtracted for a boss, boreOrBoss 1) and its angle. Angles of the closing
// first-quadrant run are lifted by 2*pi so that they keep increasing.
// x, y, z (and the deflection lists) are left centred, reversed and trimmed like the profile
// (after a failure, in whatever state the preparation had reached).
PreparedScan PrepareScanProfile(int32_t boreOrBoss, int32_t scanDirection, double tipRadius,
                                CMaDoubleArray& x, CMaDoubleArray& y, CMaDoubleArray& z,
                                DeflectionLists& deflections);
// The same for a scan without deflections (a raw scan file).
PreparedScan PrepareScanProfile(int32_t boreOrBoss, int32_t scanDirection, double tipRadius,
                                CMaDoubleArray& x, CMaDoubleArray& y, CMaDoubleArray& z);

// Point i is (radii[i]*cos(angles[i]), radii[i]*sin(angles[i]), 0): the profile about the
// origin. Arrays of different lengths give as many points as the shorter one.
CMaPointArray PointsAboutOrigin(const CMaDoubleArray& radii, const CMaDoubleArray& angles);
// The same points plus centre. The caller passes the slow scan's centre for the Slow and
// SlowMap data sets and the fast scan's for the others.
CMaPointArray ProfileToPoints(const CMaDoubleArray& radii, const CMaDoubleArray& angles,
                              const CMaPoint& centre);

struct ProfileCircle {
  double form = 0.0;          // max minus min radial deviation about the fitted circle
  double centreOffset = 0.0;  // distance of the fitted centre from the profile's origin
  double radius = 0.0;
  CMaPoint centre;  // relative to the profile's origin (the scan's own centre)
};

// Least-squares circle of the profile's points about the profile's own origin. Points that
// carry no circle (too few, on a line) give radius and form 0 and the points' mean as centre.
ProfileCircle FitProfileCircle(const CMaDoubleArray& radii, const CMaDoubleArray& angles);

}  // namespace ombrixdc
