#pragma once
// Pieces of the circle fit shared by its start (algebraic) and its refinement (geometric).
#include <cstddef>
#include <optional>

#include "platform/trivell/geometry.h"

namespace trivell {

// The points' XY coordinates centred on their mean and divided by a power of two. Fourth
// powers in the algebraic fit then neither overflow nor underflow, and the division is exact.
// A view of the points (which must outlive it): every pass of the fit takes their scaled
// coordinates a block at a time into arrays on its stack, where the loops over them
// vectorise. Keeping two arrays of the points' size instead would allocate and touch fresh
// memory on every fit, which costs more than scaling the points again in each pass.
class ScaledPoints {
 public:
  // Points a pass takes at a time.
  static constexpr std::size_t kBlock = 256;

  ScaledPoints(const CMaPointArray& points, const CMaPoint& mean, double scale);
  std::size_t Size() const { return points_.GetSize(); }
  // Calls visit(u, v, count) with the scaled coordinates of each block of points in turn while
  // it returns true; false when a visit stopped the pass.
  template <class Visit>
  bool ForEachBlock(Visit visit) const {
    double u[kBlock], v[kBlock];
    for (std::size_t first = 0; first < Size(); first += kBlock) {
      if (!visit(static_cast<const double*>(u), static_cast<const double*>(v),
                 Block(first, u, v))) {
        return false;
      }
    }
    return true;
  }

 private:
  // Scaled coordinates of the points from `first` on, at most kBlock of them, into u and v;
  // returns how many.
  std::size_t Block(std::size_t first, double* u, double* v) const;

  const CMaPointArray& points_;
  double meanX_, meanY_, scale_, reciprocal_;
  // Multiplying by the reciprocal of a power of two rounds exactly as dividing does, as long
  // as the reciprocal itself is a double (not so for the smallest scales).
  bool reciprocalExact_;
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
