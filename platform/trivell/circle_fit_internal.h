#pragma once
// Pieces of the circle fit shared by its start (algebraic) and its refinement (geometric).
#include <cstddef>
#include <optional>
#include <vector>

#include "platform/trivell/geometry.h"

namespace trivell {

// The points' XY coordinates centred on their mean and divided by a power of two. Fourth
// powers in the algebraic fit then neither overflow nor underflow, and the division is exact.
// Computed once into two plain arrays: every pass of the fit reads them, and the loops over
// them vectorise.
class ScaledPoints {
 public:
  ScaledPoints(const CMaPointArray& points, const CMaPoint& mean, double scale);
  std::size_t Size() const { return u_.size(); }
  double U(std::size_t i) const { return u_[i]; }
  double V(std::size_t i) const { return v_[i]; }
  const double* UData() const { return u_.data(); }
  const double* VData() const { return v_.data(); }

 private:
  std::vector<double> u_, v_;
};

// Centre and radius in scaled coordinates.
struct Circle2 {
  double a = 0.0, b = 0.0, r = 0.0;
};

// Means of u^2, v^2, uv, uz, vz, z^2 with z = u^2 + v^2.
struct Moments {
  double xx = 0, yy = 0, xy = 0, xz = 0, yz = 0, zz = 0;
};

Moments MomentsOf(const ScaledPoints& pts);
// True when every point is within `tolerance` (scaled units) of one straight line.
bool IsCollinear(const ScaledPoints& pts, const Moments& m, double tolerance);
// Algebraic circle of centred data; empty when it has no finite solution.
std::optional<Circle2> TaubinFit(const Moments& m);
// Centroid and mean distance from it: a start for the refinement of last resort.
Circle2 CentroidStart(const ScaledPoints& pts);
// Minimises the sum of squared orthogonal distances, starting from `start`.
Circle2 RefineGeometric(const ScaledPoints& pts, const Circle2& start);

}  // namespace trivell
