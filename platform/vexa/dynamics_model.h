#pragma once
// How the machine's motion makes a scanned point deviate from the true contact point, and the
// measurement noise on top. The deterministic error depends only on the speed, the path
// radius, the angle and the path length from the scan start, so two scans of one feature at
// one speed repeat it exactly; that is what lets a learnt map compensate it.
#include <cstdint>

namespace vexa_sim {

// Amplitudes in the machine's unit (mm) at the reference speed; all terms vanish as the speed
// goes to zero, at least as fast as the speed itself. The defaults put a 100 mm/s scan of a
// 10 mm radius ring about 3 to 5 um off and a 5 mm/s scan within 0.05 um. The speed, the
// frequency, the glitch width and the transient's lengths must be positive; a term whose
// amplitude is 0 is off.
struct DynamicsModel {
  double referenceSpeed = 100.0;  // v_ref, mm/s
  // Centripetal term e_c = beta * (v^2 / R) / omega^2, omega = 2 pi f: the structure of
  // natural frequency f bends under the centripetal acceleration v^2 / R of the path.
  double naturalFrequency = 20.0;  // f, Hz
  double centripetalGain = 0.047;  // beta, dimensionless
  // Anisotropy e_a = a2 * (v / v_ref)^2 * cos(2 theta + phi2): the axes are not equally stiff.
  double anisotropy = 0.0008;    // a2, mm
  double anisotropyPhase = 0.6;  // phi2, radians
  // Quadrant glitches e_g = g * (v / v_ref) * exp(-(dtheta / w)^2), dtheta the angle from the
  // nearest of 0, 90, 180 and 270 degrees, where one axis stops and reverses against its
  // friction.
  double glitchHeight = 0.0006;  // g, mm
  double glitchWidth = 3.0;      // w, degrees
  // Start transient e_t = A * (v / v_ref)^2 * exp(-s / L) * cos(2 pi s / lambda), s the path
  // length from the scan start: the ringing of the axes after they take up the scan.
  double transientAmplitude = 0.0015;  // A, mm
  double transientDecayLength = 4.0;   // L, mm
  double transientWavelength = 5.0;    // lambda, mm
  bool operator==(const DynamicsModel&) const = default;
};

// Gaussian measurement noise along the radius. Each scan draws from a generator seeded with
// seed + the number of scans the machine started before it, so scans differ from one another
// but a run is reproduced exactly.
struct NoiseModel {
  double sigma = 0.0001;  // standard deviation, mm; 0 turns the noise off
  uint64_t seed = 1;
  bool operator==(const NoiseModel&) const = default;
};

// Where a scan is at one of its points.
struct ScanMotion {
  double speed = 0.0;       // mm/s along the path
  double pathRadius = 0.0;  // radius of the circle the tip centre runs on, mm
  double theta = 0.0;       // angle of the point about the feature centre, radians
  double pathLength = 0.0;  // path run since the scan start, mm
};

// e_c + e_a + e_g + e_t: the radial error of the machine's reading, positive into the
// material the probe touches. The caller turns it into a radius change, which flips its sign
// between a bore and a boss.
double DynamicRadialError(const DynamicsModel& dynamics, const ScanMotion& motion);

}  // namespace vexa_sim
