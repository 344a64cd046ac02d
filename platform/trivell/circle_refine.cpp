// Geometric refinement of the circle fit: Levenberg-Marquardt on the orthogonal distances
// d_i = |p_i - c| - r, one pass over the points per evaluation.
#include <cmath>
#include <limits>
#include <utility>

#include "platform/trivell/circle_fit_internal.h"

namespace trivell {
namespace {

constexpr int kMaxIterations = 100;
// Levenberg-Marquardt stops at steps this small (relative to the radius, in scaled units).
constexpr double kStepTolerance = 1e-13;
// Gauss-Newton steps that finish the fit stop at steps this small: below the rounding of the
// centre and the radius, the circle no longer moves.
constexpr double kRoundingStep = 4.0 * std::numeric_limits<double>::epsilon();
constexpr int kMaxFinishingSteps = 10;

// Normal equations J^T J and J^T d of the distances d.
struct NormalEquations {
  double h[3][3] = {};
  double g[3] = {};
};

NormalEquations Accumulate(const ScaledPoints& pts, const Circle2& c) {
  NormalEquations ne;
  for (std::size_t i = 0; i < pts.Size(); ++i) {
    const double dx = pts.U(i) - c.a, dy = pts.V(i) - c.b;
    const double rho = std::sqrt(dx * dx + dy * dy);
    const double d = rho - c.r;
    // A point on the centre pulls the centre in no particular direction.
    const double j[3] = {rho > 0.0 ? -dx / rho : 0.0, rho > 0.0 ? -dy / rho : 0.0, -1.0};
    for (int r = 0; r < 3; ++r) {
      for (int k = r; k < 3; ++k) {
        ne.h[r][k] += j[r] * j[k];
      }
      ne.g[r] += j[r] * d;
    }
  }
  for (int r = 1; r < 3; ++r) {
    for (int k = 0; k < r; ++k) {
      ne.h[r][k] = ne.h[k][r];
    }
  }
  return ne;
}

// Change of the sum of squares when the circle moves by `step`. Summing each point's change,
// d'^2 - d^2 = (d' - d)(d' + d) with d' - d formed from the step itself, keeps the sign right
// for steps far too small to show in the difference of two totals, so the iteration can
// converge all the way where the residuals are large.
double CostChange(const ScaledPoints& pts, const Circle2& c, const double step[3]) {
  double change = 0.0;
  for (std::size_t i = 0; i < pts.Size(); ++i) {
    const double dx = pts.U(i) - c.a, dy = pts.V(i) - c.b;
    const double dxNew = dx - step[0], dyNew = dy - step[1];
    const double rho = std::sqrt(dx * dx + dy * dy);
    const double rhoNew = std::sqrt(dxNew * dxNew + dyNew * dyNew);
    const double rhoSum = rho + rhoNew;
    const double rhoChange =
        rhoSum > 0.0 ? -(step[0] * (dx + dxNew) + step[1] * (dy + dyNew)) / rhoSum : 0.0;
    change += (rhoChange - step[2]) * (rho - c.r + rhoNew - (c.r + step[2]));
  }
  return change;
}

// Solves the 3x3 system a x = b by elimination with partial pivoting; false when singular.
bool Solve3(double a[3][3], double b[3], double x[3]) {
  for (int col = 0; col < 3; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 3; ++r) {
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) {
        pivot = r;
      }
    }
    if (a[pivot][col] == 0.0) {
      return false;
    }
    std::swap(a[col], a[pivot]);
    std::swap(b[col], b[pivot]);
    for (int r = col + 1; r < 3; ++r) {
      const double f = a[r][col] / a[col][col];
      for (int k = col; k < 3; ++k) {
        a[r][k] -= f * a[col][k];
      }
      b[r] -= f * b[col];
    }
  }
  for (int r = 2; r >= 0; --r) {
    double sum = b[r];
    for (int k = r + 1; k < 3; ++k) {
      sum -= a[r][k] * x[k];
    }
    x[r] = sum / a[r][r];
  }
  return std::isfinite(x[0]) && std::isfinite(x[1]) && std::isfinite(x[2]);
}

// The Levenberg-Marquardt step for damping `lambda` (scaled by the diagonal).
bool DampedStep(const NormalEquations& ne, double lambda, double step[3]) {
  double a[3][3], b[3];
  for (int r = 0; r < 3; ++r) {
    for (int k = 0; k < 3; ++k) {
      a[r][k] = ne.h[r][k];
    }
    a[r][r] *= 1.0 + lambda;
    b[r] = -ne.g[r];
  }
  return Solve3(a, b, step);
}

// Levenberg-Marquardt stops once its step is small against the radius, which leaves the
// circle up to that step short of the least-squares optimum: some 1e-12 of the radius where
// the points carry much form. Undamped Gauss-Newton steps, each kept only while it does not
// raise the cost, take it the rest of the way, to within rounding.
Circle2 FinishAtOptimum(const ScaledPoints& pts, Circle2 c) {
  for (int iter = 0; iter < kMaxFinishingSteps; ++iter) {
    double step[3];
    if (!DampedStep(Accumulate(pts, c), 0.0, step) || CostChange(pts, c, step) > 0.0) {
      break;
    }
    c = Circle2{c.a + step[0], c.b + step[1], c.r + step[2]};
    const double size = std::sqrt(step[0] * step[0] + step[1] * step[1] + step[2] * step[2]);
    if (size <= kRoundingStep * (1.0 + std::fabs(c.r))) {
      break;
    }
  }
  return c;
}

}  // namespace

Circle2 RefineGeometric(const ScaledPoints& pts, const Circle2& start) {
  Circle2 c = start;
  NormalEquations ne = Accumulate(pts, c);
  double lambda = 1e-4;
  for (int iter = 0; iter < kMaxIterations; ++iter) {
    double step[3];
    if (!DampedStep(ne, lambda, step)) {
      break;
    }
    const double size = std::sqrt(step[0] * step[0] + step[1] * step[1] + step[2] * step[2]);
    // Judge convergence only on nearly undamped (Gauss-Newton) steps: a heavily damped
    // step is short because of the damping, not because the optimum is reached.
    if (lambda <= 1e-2 && size <= kStepTolerance * (1.0 + std::fabs(c.r))) {
      break;
    }
    if (CostChange(pts, c, step) < 0.0) {
      c = Circle2{c.a + step[0], c.b + step[1], c.r + step[2]};
      ne = Accumulate(pts, c);
      lambda = std::fmax(lambda * 0.1, 1e-12);
    } else {
      lambda *= 10.0;
      if (lambda > 1e12) {
        break;  // no step lowers the cost any more: the minimum within rounding
      }
    }
  }
  return FinishAtOptimum(pts, c);
}

}  // namespace trivell
