#include "platform/vexa/move_path.h"

#include <cmath>

namespace vexa_sim {
namespace {

bool Finite(const CMaPoint& p) {
  return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

CMaPoint Scaled(const CMaPoint& p, double factor) {
  return {p.x() * factor, p.y() * factor, p.z() * factor};
}

// Rodrigues' rotation of p about the unit axis k by `radians`, right-handed.
CMaPoint Rotate(const CMaPoint& p, const CMaVector& k, double radians) {
  const CMaVector v = p;
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  const CMaVector kxv = CrossProduct(k, v);
  const double kv = k * v;
  return {v[0] * c + kxv[0] * s + k[0] * kv * (1.0 - c),
          v[1] * c + kxv[1] * s + k[1] * kv * (1.0 - c),
          v[2] * c + kxv[2] * s + k[2] * kv * (1.0 - c)};
}

}  // namespace

LONG CheckMove(const MoveRequest& move) {
  if (!std::isfinite(move.speed) || !(move.speed > 0.0)) {
    return kMoveRejected;
  }
  if (move.rotation) {
    const CMaVector axis = move.axis;
    if (!Finite(move.axis) || !std::isfinite(move.angle) || !(axis.Length() > 0.0)) {
      return kMoveRejected;
    }
  } else if (!Finite(move.target)) {
    return kMoveRejected;
  }
  return 0;
}

int32_t MoveStepCount(const MoveRequest& move, const CMaPoint& start) {
  double length = 0.0;
  if (move.rotation) {
    CMaVector axis = move.axis;
    axis.Normalise();
    // The tip's distance from the axis line through the feature origin is the arc's radius.
    const double radius = CrossProduct(axis, CMaVector(start)).Length();
    length = radius * std::abs(MaDegreeToRadian(move.angle));
  } else {
    length = start.DistanceTo(move.target);
  }
  const double steps = std::ceil(length / move.speed / kMoveStepSeconds);
  // Compared as doubles: a huge length must not overflow the conversion.
  if (!(steps > kMoveSteps)) {
    return kMoveSteps;
  }
  return steps < kMaxMoveSteps ? static_cast<int32_t>(steps) : kMaxMoveSteps;
}

CMaPoint MovePosition(const MoveRequest& move, const CMaPoint& start, double fraction) {
  if (!move.rotation) {
    // The last step lands exactly on the target, free of rounding.
    return fraction >= 1.0 ? move.target : start + Scaled(move.target - start, fraction);
  }
  CMaVector axis = move.axis;
  axis.Normalise();
  return Rotate(start, axis, MaDegreeToRadian(move.angle * fraction));
}

}  // namespace vexa_sim
