#include "src/files/value_sequence.h"

namespace ombrixdc {

void ValueSequence::Int(int32_t& target) {
  if (auto v = reader_.ReadInt()) {
    target = *v;
  } else {
    ok_ = false;
  }
}

void ValueSequence::Double(double& target) {
  if (auto v = reader_.ReadDouble()) {
    target = *v;
  } else {
    ok_ = false;
  }
}

void ValueSequence::Point(CMaPoint& target) {
  CMaPoint p = target;
  const bool before = ok_;
  ok_ = true;
  Double(p.x());
  Double(p.y());
  Double(p.z());
  if (ok_) {
    target = p;
  }
  ok_ = ok_ && before;
}

}  // namespace ombrixdc
