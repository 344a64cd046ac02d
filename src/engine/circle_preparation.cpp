// Preparation of a raw circle scan into a radial profile, and the profile's way back to
// points and to a fitted circle.
#include "src/engine/circle_preparation.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "src/engine/angles.h"

namespace ombrixdc {

namespace {

struct TrimRange {
  std::size_t start;  // first sample kept
  std::size_t count;  // samples kept
};

// Least-squares centre of the tip points in the XY plane; false when they carry no circle.
bool FitTipCentre(const CMaDoubleArray& x, const CMaDoubleArray& y, CMaPoint& centre) {
  CMaPointArray points;
  points.Reserve(x.GetSize());
  for (std::size_t i = 0; i < x.GetSize(); ++i) {
    points.Add(CMaPoint(x[i], y[i], 0.0));
  }
  CMaCircle circle(1.0);
  const bool fitted = circle.Fit(points) == MA_TRUE;
  centre = circle.GetCentre();
  return fitted;
}

PreparedScan Unusable(const CMaPoint& centre) {
  PreparedScan result;
  result.error = kUnusableScan;
  result.centre = centre;
  return result;
}

// Reverses the whole list. Tip lists have the scan's length; a deflection list may be
// shorter, so each list is reversed over its own length.
void Reverse(CMaDoubleArray& values) {
  std::reverse(values.begin(), values.end());
}

// Drops the samples before `range.start` and after the kept ones, clamped to the list's own
// length so that a short deflection list is never read past its end.
void Trim(CMaDoubleArray& values, const TrimRange& range) {
  const std::size_t drop = std::min(range.start, values.GetSize());
  values.Remove(0, drop);
  values.SetSize(std::min(range.count, values.GetSize()));
}

bool InSecondQuadrantOrEdges(double x, double y) {
  return x <= 0.0 && y >= 0.0;
}
bool InFirstQuadrantOrEdges(double x, double y) {
  return x >= 0.0 && y >= 0.0;
}

// One revolution from the first sample at or past the +Y axis to the last first-quadrant
// sample; none when the scan never reaches the axis or does not come round after it.
std::optional<TrimRange> FindRevolution(const CMaDoubleArray& x, const CMaDoubleArray& y) {
  const std::size_t n = x.GetSize();
  std::size_t start = 0;
  while (start < n && !InSecondQuadrantOrEdges(x[start], y[start])) {
    ++start;
  }
  if (start == n) {
    return std::nullopt;
  }
  std::size_t end = n - 1;
  while (end > start && !InFirstQuadrantOrEdges(x[end], y[end])) {
    --end;
  }
  if (!InFirstQuadrantOrEdges(x[end], y[end])) {
    return std::nullopt;
  }
  return TrimRange{start, end - start + 1};
}

// sqrt(x*x + y*y) rounded step by step as written, not hypot: a scan replayed from its raw
// file gives the profile the machine's scan gave, to the last bit.
double Distance(double x, double y) {
  return std::sqrt(x * x + y * y);
}

// Radii and angles of the centred samples; false when a sample lies exactly at the centre,
// where it has no angle.
bool FillProfile(const CMaDoubleArray& x, const CMaDoubleArray& y, double radialOffset,
                 RadialProfile& profile) {
  const std::size_t m = x.GetSize();
  profile.radii.SetSize(m);
  profile.angles.SetSize(m);
  for (std::size_t i = 0; i < m; ++i) {
    const double r = Distance(x[i], y[i]);
    if (r == 0.0) {
      return false;
    }
    profile.angles[i] = MaArcCosSin(x[i] / r, y[i] / r);
    profile.radii[i] = r + radialOffset;
  }
  return true;
}

// Angles restart at 0 after the +X axis; lift the closing first-quadrant run by 2*pi so the
// profile, which starts in the second quadrant, increases monotonically.
void UnwrapClosingRun(const CMaDoubleArray& x, const CMaDoubleArray& y, CMaDoubleArray& angles) {
  for (std::size_t i = angles.GetSize(); i > 0; --i) {
    if (!InFirstQuadrantOrEdges(x[i - 1], y[i - 1])) {
      break;
    }
    angles[i - 1] += kTwoPi;
  }
}

// Whether the profile comes round to where it began: the gap from its last angle to its first
// one a revolution on is no wider than twice its widest step. A scan that ends short of the +Y
// axis (a fast scan started too far round) leaves a sector unmeasured, which the resampling
// would fill by extrapolating across it.
bool ClosesTheRevolution(const CMaDoubleArray& angles) {
  const std::size_t m = angles.GetSize();
  double widestStep = 0.0;
  for (std::size_t i = 1; i < m; ++i) {
    widestStep = std::max(widestStep, angles[i] - angles[i - 1]);
  }
  return angles[0] + kTwoPi - angles[m - 1] <= 2.0 * widestStep;
}

}  // namespace

PreparedScan PrepareScanProfile(int32_t boreOrBoss, int32_t scanDirection, double tipRadius,
                                CMaDoubleArray& x, CMaDoubleArray& y, CMaDoubleArray& z,
                                DeflectionLists& deflections) {
  const std::size_t n = x.GetSize();
  if (y.GetSize() != n || z.GetSize() != n) {
    return Unusable(CMaPoint());
  }
  CMaPoint centre;
  if (!FitTipCentre(x, y, centre)) {
    return Unusable(centre);
  }
  for (std::size_t i = 0; i < n; ++i) {
    x[i] -= centre.x();
    y[i] -= centre.y();
  }
  CMaDoubleArray* lists[] = {&x, &y, &z, &deflections.a, &deflections.b, &deflections.c};
  if (scanDirection == 1) {
    for (CMaDoubleArray* list : lists) {
      Reverse(*list);
    }
  }

  const std::optional<TrimRange> range = FindRevolution(x, y);
  if (!range || range->count < kMinProfileSamples) {
    return Unusable(centre);
  }
  for (CMaDoubleArray* list : lists) {
    Trim(*list, *range);
  }

  // The surface lies one tip radius beyond the tip centre in a bore, one inside it on a boss.
  const double radialOffset = boreOrBoss == 1 ? -tipRadius : tipRadius;
  PreparedScan result;
  result.centre = centre;
  if (!FillProfile(x, y, radialOffset, result.profile)) {
    return Unusable(centre);
  }
  UnwrapClosingRun(x, y, result.profile.angles);
  if (!ClosesTheRevolution(result.profile.angles)) {
    return Unusable(centre);
  }
  return result;
}

PreparedScan PrepareScanProfile(int32_t boreOrBoss, int32_t scanDirection, double tipRadius,
                                CMaDoubleArray& x, CMaDoubleArray& y, CMaDoubleArray& z) {
  DeflectionLists none;
  return PrepareScanProfile(boreOrBoss, scanDirection, tipRadius, x, y, z, none);
}

CMaPointArray PointsAboutOrigin(const CMaDoubleArray& radii, const CMaDoubleArray& angles) {
  const std::size_t n = std::min(radii.GetSize(), angles.GetSize());
  CMaPointArray points;
  points.Reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    points.Add(CMaPoint(radii[i] * std::cos(angles[i]), radii[i] * std::sin(angles[i]), 0.0));
  }
  return points;
}

CMaPointArray ProfileToPoints(const CMaDoubleArray& radii, const CMaDoubleArray& angles,
                              const CMaPoint& centre) {
  CMaPointArray points = PointsAboutOrigin(radii, angles);
  for (CMaPoint& point : points) {
    point += centre;
  }
  return points;
}

ProfileCircle FitProfileCircle(const CMaDoubleArray& radii, const CMaDoubleArray& angles) {
  CMaCircle circle(1.0);
  ProfileCircle result;
  double rms = 0.0;
  // A failed fit gives radius 0, form 0 and the points' mean as centre: both users show them.
  (void)circle.Fit(PointsAboutOrigin(radii, angles), result.form, rms);
  result.radius = circle.GetRadius();
  result.centre = circle.GetCentre();
  result.centreOffset = Distance(result.centre.x(), result.centre.y());
  return result;
}

}  // namespace ombrixdc
