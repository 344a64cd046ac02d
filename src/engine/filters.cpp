// The two zero-phase filters. The arithmetic follows the recursions term by term, in the
// order written, so that the same profile is always filtered to the same last bit and a
// stored map is reproduced exactly when its feature is learnt again.
#include "src/engine/filters.h"

#include <cmath>
#include <cstddef>
#include <utility>

#include "src/engine/angles.h"

namespace ombrixdc {

namespace {

double SampleSpacing(std::size_t n) {
  return kTwoPi / static_cast<double>(n);
}

// y[i] = 0.5 * (forward[i] + backward[i]), written over forward.
CMaDoubleArray AverageDirections(CMaDoubleArray forward, const CMaDoubleArray& backward) {
  for (std::size_t i = 0; i < forward.GetSize(); ++i) {
    forward[i] = 0.5 * (forward[i] + backward[i]);
  }
  return forward;
}

struct SecondOrderCoefficients {
  double b0, b1, a1, a2;
};

// Bilinear transform of w^2 / (s^2 + 2*0.7*w*s + w^2) with sample spacing delta.
SecondOrderCoefficients SecondOrderFor(int32_t filterNumber, double delta) {
  const double w = std::sqrt(2.0) * filterNumber;
  const double q = 1.4 / w;
  const double p = 1.0 / (w * w);
  const double deltaSquared = delta * delta;
  const double d = deltaSquared + 2.0 * q * delta + 4.0 * p;
  return {deltaSquared / d, 2.0 * deltaSquared / d, (2.0 * deltaSquared - 8.0 * p) / d,
          (deltaSquared - 2.0 * q * delta + 4.0 * p) / d};
}

// One lap of the first-order recursion, forwards from index 1 or backwards from index n-2;
// the seed (f[0] or b[n-1]) is set by the caller.
void FirstOrderForward(const CMaDoubleArray& x, double a, CMaDoubleArray& f) {
  for (std::size_t i = 1; i < x.GetSize(); ++i) {
    f[i] = (1.0 - a) * x[i] + a * f[i - 1];
  }
}

void FirstOrderBackward(const CMaDoubleArray& x, double a, CMaDoubleArray& b) {
  for (std::size_t i = x.GetSize() - 1; i-- > 0;) {
    b[i] = (1.0 - a) * x[i] + a * b[i + 1];
  }
}

// One lap of the second-order recursion; the two seeds are set by the caller.
void SecondOrderForward(const CMaDoubleArray& x, const SecondOrderCoefficients& c,
                        CMaDoubleArray& f) {
  for (std::size_t i = 2; i < x.GetSize(); ++i) {
    f[i] = c.b0 * (x[i] + x[i - 2]) + c.b1 * x[i - 1] - c.a1 * f[i - 1] - c.a2 * f[i - 2];
  }
}

void SecondOrderBackward(const CMaDoubleArray& x, const SecondOrderCoefficients& c,
                         CMaDoubleArray& b) {
  for (std::size_t i = x.GetSize() - 2; i-- > 0;) {
    b[i] = c.b0 * (x[i] + x[i + 2]) + c.b1 * x[i + 1] - c.a1 * b[i + 1] - c.a2 * b[i + 2];
  }
}

}  // namespace

CMaDoubleArray FilterFirstOrder(int32_t filterNumber, const CMaDoubleArray& x) {
  const std::size_t n = x.GetSize();
  if (n < 2) {
    return x;
  }
  const double a = 1.0 / (std::sqrt(2.0) * SampleSpacing(n) * filterNumber + 1.0);
  CMaDoubleArray f(n), b(n);
  f[0] = x[0];
  FirstOrderForward(x, a, f);
  f[0] = f[n - 1];
  FirstOrderForward(x, a, f);
  b[n - 1] = x[n - 1];
  FirstOrderBackward(x, a, b);
  b[n - 1] = b[0];
  FirstOrderBackward(x, a, b);
  return AverageDirections(std::move(f), b);
}

CMaDoubleArray FilterSecondOrder(int32_t filterNumber, const CMaDoubleArray& x) {
  const std::size_t n = x.GetSize();
  if (n < 3) {
    return x;
  }
  const SecondOrderCoefficients c = SecondOrderFor(filterNumber, SampleSpacing(n));
  CMaDoubleArray f(n), b(n);
  f[0] = x[0];
  f[1] = x[1];
  SecondOrderForward(x, c, f);
  f[0] = f[n - 1];
  f[1] = f[n - 2];
  SecondOrderForward(x, c, f);
  b[n - 1] = x[n - 1];
  b[n - 2] = x[n - 2];
  SecondOrderBackward(x, c, b);
  b[n - 1] = b[1];
  b[n - 2] = b[0];
  SecondOrderBackward(x, c, b);
  return AverageDirections(std::move(f), b);
}

CMaDoubleArray FilterRadii(int32_t filterMethod, int32_t filterNumber,
                           const CMaDoubleArray& input) {
  return filterMethod == 1 ? FilterFirstOrder(filterNumber, input)
                           : FilterSecondOrder(filterNumber, input);
}

}  // namespace ombrixdc
