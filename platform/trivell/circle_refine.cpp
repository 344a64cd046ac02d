// Geometric refinement of the circle fit: Levenberg-Marquardt on the orthogonal distances
// d_i = |p_i - c| - r, one pass over the points per step tried.
#include <algorithm>
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

// The passes go over the points in blocks: each block's offsets and distances are computed in
// loops without sums, which vectorise and round each value as scalar code does. Every sum is
// taken in four interleaved partial sums (point i into partial i % 4) added up at the end, so
// that the sums vectorise too and the results do not depend on the vector width.
constexpr std::size_t kBlock = ScaledPoints::kBlock;

// One sum in four interleaved partial sums.
class Sum4 {
 public:
  void Add(const double* __restrict x, std::size_t m) {
    std::size_t k = 0;
    for (; k + 4 <= m; k += 4) {
      s_[0] += x[k];
      s_[1] += x[k + 1];
      s_[2] += x[k + 2];
      s_[3] += x[k + 3];
    }
    for (; k < m; ++k) {
      s_[k % 4] += x[k];
    }
  }
  double Total() const { return (s_[0] + s_[1]) + (s_[2] + s_[3]); }

 private:
  double s_[4] = {};
};

// The sums of the normal equations, each in four interleaved partial sums.
class NormalSums {
 public:
  // Adds each point's terms from its offset (dx, dy) from the centre and its distance rho:
  // the gradient j = (-dx / rho, -dy / rho, -1) and the distance d = rho - r. A point on the
  // centre pulls the centre in no particular direction: its gradient there is 0.
  void Add(std::size_t m, const double* __restrict dx, const double* __restrict dy,
           const double* __restrict rho, double r) {
    std::size_t i = 0;
    for (; i + 4 <= m; i += 4) {
      for (std::size_t l = 0; l < 4; ++l) {
        AddPoint(l, dx[i + l], dy[i + l], rho[i + l], r);
      }
    }
    for (; i < m; ++i) {
      AddPoint(i % 4, dx[i], dy[i], rho[i], r);
    }
    count_ += m;
  }
  NormalEquations Equations() const {
    NormalEquations ne;
    ne.h[0][0] = Total(s_[0]);
    ne.h[0][1] = ne.h[1][0] = Total(s_[1]);
    ne.h[0][2] = ne.h[2][0] = -Total(s_[3]);
    ne.h[1][1] = Total(s_[2]);
    ne.h[1][2] = ne.h[2][1] = -Total(s_[4]);
    ne.h[2][2] = static_cast<double>(count_);  // the sum of count_ ones, exactly
    ne.g[0] = Total(s_[5]);
    ne.g[1] = Total(s_[6]);
    ne.g[2] = -Total(s_[7]);
    return ne;
  }

 private:
  void AddPoint(std::size_t l, double dx, double dy, double rho, double r) {
    const double w = rho > 0.0 ? 1.0 / (rho > 0.0 ? rho : 1.0) : 0.0;
    const double jx = -dx * w, jy = -dy * w, d = rho - r;
    s_[0][l] += jx * jx;
    s_[1][l] += jx * jy;
    s_[2][l] += jy * jy;
    s_[3][l] += jx;
    s_[4][l] += jy;
    s_[5][l] += jx * d;
    s_[6][l] += jy * d;
    s_[7][l] += d;
  }
  static double Total(const double (&s)[4]) { return (s[0] + s[1]) + (s[2] + s[3]); }
  double s_[8][4] = {};
  std::size_t count_ = 0;
};

// Offsets of a block's points from centre (a, b) and their lengths.
void OffsetsFrom(std::size_t m, const double* __restrict u, const double* __restrict v, double a,
                 double b, double* __restrict dx, double* __restrict dy, double* __restrict rho) {
  for (std::size_t i = 0; i < m; ++i) {
    dx[i] = u[i] - a;
    dy[i] = v[i] - b;
    rho[i] = std::sqrt(dx[i] * dx[i] + dy[i] * dy[i]);
  }
}

// The normal equations at circle c.
NormalEquations Evaluate(const ScaledPoints& pts, const Circle2& c) {
  NormalSums sums;
  double dx[kBlock], dy[kBlock], rho[kBlock];
  pts.ForEachBlock([&](const double* u, const double* v, std::size_t m) {
    OffsetsFrom(m, u, v, c.a, c.b, dx, dy, rho);
    sums.Add(m, dx, dy, rho, c.r);
    return true;
  });
  return sums.Equations();
}

// For the step (s0, s1, s2) from circle (a, b, r): each point's offset from the moved centre,
// its distance from it, and its change of the squared distance, given its offset (dx, dy)
// from and distance rho to the old centre. Summing each point's change,
// d'^2 - d^2 = (d' - d)(d' + d) with d' - d formed from the step itself, keeps the sign right
// for steps far too small to show in the difference of two totals, so the iteration can
// converge all the way where the residuals are large.
void MoveBy(std::size_t m, double* __restrict dx, double* __restrict dy,
            const double* __restrict rho, double r, double s0, double s1, double s2,
            double* __restrict rhoNew, double* __restrict change) {
  for (std::size_t i = 0; i < m; ++i) {
    const double dxNew = dx[i] - s0, dyNew = dy[i] - s1;
    const double length = std::sqrt(dxNew * dxNew + dyNew * dyNew);
    const double rhoSum = rho[i] + length;
    const double rhoChange =
        -(s0 * (dx[i] + dxNew) + s1 * (dy[i] + dyNew)) / (rhoSum > 0.0 ? rhoSum : 1.0);
    change[i] = ((rhoSum > 0.0 ? rhoChange : 0.0) - s2) * (rho[i] - r + length - (r + s2));
    dx[i] = dxNew;
    dy[i] = dyNew;
    rhoNew[i] = length;
  }
}

// A step tried from circle c: the change of the sum of squares, and the normal equations at
// the moved circle, which the same pass computes because the step is nearly always taken.
struct Trial {
  Circle2 moved;
  double costChange = 0.0;
  NormalEquations ne;
};

// The distances from c's centre are computed again rather than kept from the pass that
// reached c: a square root per point costs less than keeping two arrays of them.
Trial TryStep(const ScaledPoints& pts, const Circle2& c, const double step[3]) {
  Trial trial;
  trial.moved = Circle2{c.a + step[0], c.b + step[1], c.r + step[2]};
  NormalSums sums;
  Sum4 costChange;
  double dx[kBlock], dy[kBlock], rho[kBlock], rhoMoved[kBlock], change[kBlock];
  pts.ForEachBlock([&](const double* u, const double* v, std::size_t m) {
    OffsetsFrom(m, u, v, c.a, c.b, dx, dy, rho);
    MoveBy(m, dx, dy, rho, c.r, step[0], step[1], step[2], rhoMoved, change);
    costChange.Add(change, m);
    sums.Add(m, dx, dy, rhoMoved, trial.moved.r);
    return true;
  });
  trial.costChange = costChange.Total();
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

// The current circle and its normal equations.
class Refinement {
 public:
  Refinement(const ScaledPoints& pts, const Circle2& start)
      : pts_(pts), c_(start), ne_(Evaluate(pts, start)) {}

  const Circle2& Circle() const { return c_; }
  const NormalEquations& Equations() const { return ne_; }
  // Tries the step: it is taken, and true returned, when `accept` approves its change of the
  // cost.
  template <class Accept>
  bool Try(const double step[3], Accept accept) {
    const Trial trial = TryStep(pts_, c_, step);
    if (!accept(trial.costChange)) {
      return false;
    }
    c_ = trial.moved;
    ne_ = trial.ne;
    return true;
  }
  // Takes a step below the rounding of the circle without a pass over the points: whether it
  // lowers the cost is beyond what the sums can tell. The normal equations are then no longer
  // known.
  void TakeLast(const double step[3]) {
    c_ = Circle2{c_.a + step[0], c_.b + step[1], c_.r + step[2]};
  }

 private:
  const ScaledPoints& pts_;
  Circle2 c_;
  NormalEquations ne_;
};

// Levenberg-Marquardt stops once its step is small against the radius, which leaves the
// circle up to that step short of the least-squares optimum: some 1e-12 of the radius where
// the points carry much form. Undamped Gauss-Newton steps, each kept only while it does not
// raise the cost, take it the rest of the way, to within rounding; the last, below rounding,
// is taken without a pass.
Circle2 FinishAtOptimum(Refinement& fit) {
  for (int iter = 0; iter < kMaxFinishingSteps; ++iter) {
    double step[3];
    if (!DampedStep(fit.Equations(), 0.0, step)) {
      break;
    }
    const double size = std::sqrt(step[0] * step[0] + step[1] * step[1] + step[2] * step[2]);
    if (size <= kRoundingStep * (1.0 + std::fabs(fit.Circle().r + step[2]))) {
      fit.TakeLast(step);
      break;
    }
    if (!fit.Try(step, [](double change) { return change <= 0.0; })) {
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
