#pragma once
// A labelled text file as one table: each value's label as the writer writes it, where the
// value lives, and how the reader finds the label again. The writer and the reader walk the
// same table, so the two can never disagree on a label or the order.
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>
#include <variant>

#include "platform/trivell/geometry.h"
#include "src/files/number_format.h"
#include "src/files/value_sequence.h"

namespace ombrixdc {

// How the reader reaches a value's label.
enum class LabelSearch {
  NextWord,       // the next word, skipped unread: its wording is free
  LastLabelWord,  // words are scanned up to the label's last word ("inches):"), any case
};

template <bool kConst>
struct LabelledValueOf {
  template <class T>
  using Ref = std::conditional_t<kConst, const T*, T*>;

  std::string_view label;  // as written, with its trailing space: "MapPitch: "
  std::variant<Ref<int32_t>, Ref<double>, Ref<CMaPoint>> value;
  LabelSearch search = LabelSearch::NextWord;
  int32_t emptyLinesAfter = 0;
  // Bits of the groups a reading may pass over; 0: the value is always read.
  uint32_t group = 0;
};
// A value read into, and a value written.
using LabelledValue = LabelledValueOf<false>;
using LabelledConstValue = LabelledValueOf<true>;

// Each value's line (integers "%d", doubles and points in the settings format), then its empty
// lines.
void WriteLabelledValues(TextWriter& out, std::span<const LabelledConstValue> values);

// Finds each value's label and reads the value, in the table's order; values of a group in
// `passedOver` are neither searched for nor read. False when a value could not be read (it keeps
// what it held; reading goes on).
[[nodiscard]] bool ReadLabelledValues(TokenReader& reader, std::span<const LabelledValue> values,
                                      uint32_t passedOver = 0);

}  // namespace ombrixdc
