#include "src/files/labelled_values.h"

namespace ombrixdc {

namespace {

// The word a scan for the label stops at: its last one, without the trailing space.
std::string_view LastWord(std::string_view label) {
  label = label.substr(0, label.find_last_not_of(' ') + 1);
  const std::size_t space = label.rfind(' ');
  return space == std::string_view::npos ? label : label.substr(space + 1);
}

}  // namespace

void WriteLabelledValues(TextWriter& out, std::span<const LabelledConstValue> values) {
  for (const LabelledConstValue& v : values) {
    std::visit(
        [&](const auto* value) {
          using T = std::remove_cvref_t<decltype(*value)>;
          if constexpr (std::is_same_v<T, int32_t>) {
            out.IntegerLine(v.label, *value);
          } else if constexpr (std::is_same_v<T, double>) {
            out.SettingLine(v.label, *value);
          } else {
            out.SettingPointLine(v.label, *value);
          }
        },
        v.value);
    out.EmptyLines(v.emptyLinesAfter);
  }
}

bool ReadLabelledValues(TokenReader& reader, std::span<const LabelledValue> values,
                        uint32_t passedOver) {
  ValueSequence read(reader);
  for (const LabelledValue& v : values) {
    if ((v.group & passedOver) != 0) {
      continue;
    }
    if (v.search == LabelSearch::NextWord) {
      read.Label();
    } else {
      read.LabelUpTo(LastWord(v.label));
    }
    std::visit(
        [&](auto* value) {
          using T = std::remove_cvref_t<decltype(*value)>;
          if constexpr (std::is_same_v<T, int32_t>) {
            read.Int(*value);
          } else if constexpr (std::is_same_v<T, double>) {
            read.Double(*value);
          } else {
            read.Point(*value);
          }
        },
        v.value);
  }
  return read.Ok();
}

}  // namespace ombrixdc
