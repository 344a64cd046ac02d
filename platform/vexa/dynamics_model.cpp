#include "platform/vexa/dynamics_model.h"

#include <cmath>

#include "platform/trivell/geometry.h"

namespace vexa_sim {
namespace {

double Centripetal(const DynamicsModel& d, const ScanMotion& m) {
  if (d.centripetalGain == 0.0) {
    return 0.0;
  }
  const double omega = 2.0 * MA_PI * d.naturalFrequency;
  return d.centripetalGain * (m.speed * m.speed / m.pathRadius) / (omega * omega);
}

double Anisotropy(const DynamicsModel& d, const ScanMotion& m, double speedRatio) {
  return d.anisotropy * speedRatio * speedRatio * std::cos(2.0 * m.theta + d.anisotropyPhase);
}

// An axis reverses where the path is tangent to the other axis: every quarter turn from +x.
double QuadrantGlitch(const DynamicsModel& d, const ScanMotion& m, double speedRatio) {
  if (d.glitchHeight == 0.0) {
    return 0.0;
  }
  const double fromReversal = std::remainder(MaRadianToDegree(m.theta), 90.0);
  const double x = fromReversal / d.glitchWidth;
  return d.glitchHeight * speedRatio * std::exp(-x * x);
}

double StartTransient(const DynamicsModel& d, const ScanMotion& m, double speedRatio) {
  if (d.transientAmplitude == 0.0) {
    return 0.0;
  }
  const double s = m.pathLength;
  return d.transientAmplitude * speedRatio * speedRatio * std::exp(-s / d.transientDecayLength) *
         std::cos(2.0 * MA_PI * s / d.transientWavelength);
}

}  // namespace

double DynamicRadialError(const DynamicsModel& dynamics, const ScanMotion& motion) {
  const double speedRatio = motion.speed / dynamics.referenceSpeed;
  return Centripetal(dynamics, motion) + Anisotropy(dynamics, motion, speedRatio) +
         QuadrantGlitch(dynamics, motion, speedRatio) +
         StartTransient(dynamics, motion, speedRatio);
}

}  // namespace vexa_sim
