// Geometric refinement of the circle fit: Levenberg-Marquardt on the orthogonal distances
// d_i = |p_i - c| - r, one pass over the points per step tried.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
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

// The sums of the normal equations, taken point by point in the points' order. A point's
// gradient is j = (jx, jy, -1), so the products with the radius component are negations and 1.
class NormalSums {
 public:
  void Add(double rho, double jx, double jy, double r) {
    const double d = rho - r;
    hxx_ += jx * jx;
    hxy_ += jx * jy;
    hxr_ += -jx;
    hyy_ += jy * jy;
    hyr_ += -jy;
    gx_ += jx * d;
    gy_ += jy * d;
    gr_ += -d;
    ++count_;
  }
  NormalEquations Equations() const {
    NormalEquations ne;
    ne.h[0][0] = hxx_;
    ne.h[0][1] = ne.h[1][0] = hxy_;
    ne.h[0][2] = ne.h[2][0] = hxr_;
    ne.h[1][1] = hyy_;
    ne.h[1][2] = ne.h[2][1] = hyr_;
    ne.h[2][2] = static_cast<double>(count_);  // the sum of count_ ones, exactly
    ne.g[0] = gx_;
    ne.g[1] = gy_;
    ne.g[2] = gr_;
    return ne;
  }

 private:
  double hxx_ = 0.0, hxy_ = 0.0, hxr_ = 0.0, hyy_ = 0.0, hyr_ = 0.0;
  std::size_t count_ = 0;
  double gx_ = 0.0, gy_ = 0.0, gr_ = 0.0;
};

// The passes go over the points in blocks: each block's per-point values (distances,
// gradients, changes of the cost) are computed in loops without sums, which vectorise and
// round each value exactly as scalar code does; the block's values are then added to the sums
// in the points' order. The results therefore do not depend on the vector width, and of the
// per-point values only the distances are kept for the whole scan.
constexpr std::size_t kBlock = 256;

// rho, -dx / rho and -dy / rho at centre (a, b). A point on the centre pulls the centre in no
// particular direction: its gradient is 0 (the division there is by 1 and its result unused).
// The arrays are parameters of their own so that the compiler knows they do not overlap.
void TermsAt(std::size_t n, const double* __restrict u, const double* __restrict v, double a,
             double b, double* __restrict rho, double* __restrict jx, double* __restrict jy) {
  for (std::size_t i = 0; i < n; ++i) {
    const double dx = u[i] - a, dy = v[i] - b;
    const double length = std::sqrt(dx * dx + dy * dy);
    const double divisor = length > 0.0 ? length : 1.0;
    const double x = -dx / divisor, y = -dy / divisor;
    rho[i] = length;
    jx[i] = length > 0.0 ? x : 0.0;
    jy[i] = length > 0.0 ? y : 0.0;
  }
}

// Each point's change of the squared distance for the step (s0, s1, s2) from the circle
// (a, b, r), given its distance rho from (a, b). Summing each point's change,
// d'^2 - d^2 = (d' - d)(d' + d) with d' - d formed from the step itself, keeps the sign right
// for steps far too small to show in the difference of two totals, so the iteration can
// converge all the way where the residuals are large.
void ChangesFor(std::size_t n, const double* __restrict u, const double* __restrict v,
                const double* __restrict rhoAt, double a, double b, double r, double s0, double s1,
                double s2, double* __restrict change) {
  for (std::size_t i = 0; i < n; ++i) {
    const double dx = u[i] - a, dy = v[i] - b, rho = rhoAt[i];
    const double dxNew = dx - s0, dyNew = dy - s1;
    const double rhoNew = std::sqrt(dxNew * dxNew + dyNew * dyNew);
    const double rhoSum = rho + rhoNew;
    const double rhoChange =
        -(s0 * (dx + dxNew) + s1 * (dy + dyNew)) / (rhoSum > 0.0 ? rhoSum : 1.0);
    change[i] = ((rhoSum > 0.0 ? rhoChange : 0.0) - s2) * (rho - r + rhoNew - (r + s2));
  }
}

// The normal equations at circle c; `rho` receives each point's distance from its centre.
NormalEquations Evaluate(const ScaledPoints& pts, const Circle2& c, double* rho) {
  NormalSums sums;
  double jx[kBlock], jy[kBlock];
  for (std::size_t first = 0; first < pts.Size(); first += kBlock) {
    const std::size_t m = std::min(kBlock, pts.Size() - first);
    TermsAt(m, pts.UData() + first, pts.VData() + first, c.a, c.b, rho + first, jx, jy);
    for (std::size_t k = 0; k < m; ++k) {
      sums.Add(rho[first + k], jx[k], jy[k], c.r);
    }
  }
  return sums.Equations();
}

// A step tried from circle c: the change of the sum of squares, and the normal equations at
// the moved circle, which the same pass computes because the step is nearly always taken.
struct Trial {
  Circle2 moved;
  double costChange = 0.0;
  NormalEquations ne;
};

// `rhoAt` holds the distances from c's centre; `rhoMoved` receives those from the moved one,
// unless `last` says the refinement ends with this step, when neither they nor the normal
// equations are computed.
Trial TryStep(const ScaledPoints& pts, const Circle2& c, const double step[3], const double* rhoAt,
              double* rhoMoved, bool last) {
  Trial trial;
  trial.moved = Circle2{c.a + step[0], c.b + step[1], c.r + step[2]};
  NormalSums sums;
  double change[kBlock], jx[kBlock], jy[kBlock];
  for (std::size_t first = 0; first < pts.Size(); first += kBlock) {
    const std::size_t m = std::min(kBlock, pts.Size() - first);
    const double* u = pts.UData() + first;
    const double* v = pts.VData() + first;
    ChangesFor(m, u, v, rhoAt + first, c.a, c.b, c.r, step[0], step[1], step[2], change);
    for (std::size_t k = 0; k < m; ++k) {
      trial.costChange += change[k];
    }
    if (!last) {
      TermsAt(m, u, v, trial.moved.a, trial.moved.b, rhoMoved + first, jx, jy);
      for (std::size_t k = 0; k < m; ++k) {
        sums.Add(rhoMoved[first + k], jx[k], jy[k], trial.moved.r);
      }
    }
  }
  trial.ne = sums.Equations();
  return trial;
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

// The current circle, its normal equations and each point's distance from its centre, with
// room for the distances from a moved centre; taking a step swaps the two.
class Refinement {
 public:
  Refinement(const ScaledPoints& pts, const Circle2& start)
      : pts_(pts),
        c_(start),
        at_(std::make_unique_for_overwrite<double[]>(pts.Size())),
        moved_(std::make_unique_for_overwrite<double[]>(pts.Size())),
        ne_(Evaluate(pts, start, at_.get())) {}

  const Circle2& Circle() const { return c_; }
  const NormalEquations& Equations() const { return ne_; }
  // Tries the step: it is taken, and true returned, when `accept` approves its change of the
  // cost. After a `last` step the normal equations and distances are no longer known.
  template <class Accept>
  bool Try(const double step[3], Accept accept, bool last = false) {
    const Trial trial = TryStep(pts_, c_, step, at_.get(), moved_.get(), last);
    if (!accept(trial.costChange)) {
      return false;
    }
    c_ = trial.moved;
    ne_ = trial.ne;
    std::swap(at_, moved_);
    return true;
  }

 private:
  const ScaledPoints& pts_;
  Circle2 c_;
  std::unique_ptr<double[]> at_, moved_;
  NormalEquations ne_;
};

// Levenberg-Marquardt stops once its step is small against the radius, which leaves the
// circle up to that step short of the least-squares optimum: some 1e-12 of the radius where
// the points carry much form. Undamped Gauss-Newton steps, each kept only while it does not
// raise the cost, take it the rest of the way, to within rounding.
Circle2 FinishAtOptimum(Refinement& fit) {
  for (int iter = 0; iter < kMaxFinishingSteps; ++iter) {
    double step[3];
    if (!DampedStep(fit.Equations(), 0.0, step)) {
      break;
    }
    // A step below rounding is the last whether or not it is taken.
    const double size = std::sqrt(step[0] * step[0] + step[1] * step[1] + step[2] * step[2]);
    const bool last = size <= kRoundingStep * (1.0 + std::fabs(fit.Circle().r + step[2]));
    if (!fit.Try(
            step, [](double change) { return change <= 0.0; }, last) ||
        last) {
      break;
    }
  }
  return fit.Circle();
}

}  // namespace

Circle2 RefineGeometric(const ScaledPoints& pts, const Circle2& start) {
  Refinement fit(pts, start);
  double lambda = 1e-4;
  for (int iter = 0; iter < kMaxIterations; ++iter) {
    double step[3];
    if (!DampedStep(fit.Equations(), lambda, step)) {
      break;
    }
    const double size = std::sqrt(step[0] * step[0] + step[1] * step[1] + step[2] * step[2]);
    // Judge convergence only on nearly undamped (Gauss-Newton) steps: a heavily damped
    // step is short because of the damping, not because the optimum is reached.
    if (lambda <= 1e-2 && size <= kStepTolerance * (1.0 + std::fabs(fit.Circle().r))) {
      break;
    }
    if (fit.Try(step, [](double change) { return change < 0.0; })) {
      lambda = std::fmax(lambda * 0.1, 1e-12);
    } else {
      lambda *= 10.0;
      if (lambda > 1e12) {
        break;  // no step lowers the cost any more: the minimum within rounding
      }
    }
  }
  return FinishAtOptimum(fit);
}

}  // namespace trivell
