#pragma once
// Reads a file's values in their fixed order: labels are skipped as single words or found by
// scanning, numbers are read into their targets. A number that cannot be read leaves its
// target as it was and marks the sequence failed; reading goes on with the next step.
#include <cstdint>
#include <string_view>

#include "platform/trivell/geometry.h"
#include "src/files/token_reader.h"

namespace ombrixdc {

class ValueSequence {
 public:
  explicit ValueSequence(TokenReader& reader) : reader_(reader) {}

  void Int(int32_t& target);
  void Double(double& target);
  // A point is read as a whole: a coordinate that fails leaves the point as it was.
  void Point(CMaPoint& target);
  // One label word, skipped unread.
  void Label() { reader_.ReadWord(); }
  // Words up to and including `label`, compared without regard to case (to the end when it
  // is missing; every later read then fails).
  void LabelUpTo(std::string_view label) { reader_.SkipPast(label); }

  void Fail() { ok_ = false; }
  [[nodiscard]] bool Ok() const { return ok_; }
  TokenReader& Reader() { return reader_; }

 private:
  TokenReader& reader_;
  bool ok_ = true;
};

}  // namespace ombrixdc
