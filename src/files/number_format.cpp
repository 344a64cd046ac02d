#include "src/files/number_format.h"

#include <charconv>
#include <cmath>

namespace ombrixdc {

namespace {

// Large enough for "%1.6f" of the largest double (309 digits, point, six decimals).
constexpr std::size_t kBufferSize = 400;

// The Windows runtime writes infinities and NaN in a form no reader takes back; these words
// the token reader reads.
bool AppendNonFinite(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "nan";
  } else if (std::isinf(value)) {
    out += value < 0.0 ? "-inf" : "inf";
  } else {
    return false;
  }
  return true;
}

// A value that is not negative gets one space; -0.0 compares equal to 0.0 and gets it too.
// NaN compares neither way; it gets the space so that it never runs into the previous number.
void AppendSignSpace(std::string& out, double value) {
  if (!(value < 0.0)) {
    out += ' ';
  }
}

void AppendFixed6(std::string& out, double value) {
  if (AppendNonFinite(out, value)) {
    return;
  }
  char buffer[kBufferSize];
  const auto result =
      std::to_chars(buffer, buffer + kBufferSize, value, std::chars_format::fixed, 6);
  out.append(buffer, result.ptr);
}

// "%1.16e" with the exponent widened to the three digits the Windows runtime always writes
// (to_chars, like C99 printf, writes at least two).
void AppendScientific16(std::string& out, double value) {
  if (AppendNonFinite(out, value)) {
    return;
  }
  char buffer[kBufferSize];
  const auto result =
      std::to_chars(buffer, buffer + kBufferSize, value, std::chars_format::scientific, 16);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t e = text.find('e');
  // Mantissa, 'e' and the exponent's sign.
  out.append(text.substr(0, e + 2));
  const std::string_view digits = text.substr(e + 2);
  for (std::size_t width = digits.size(); width < 3; ++width) {
    out += '0';
  }
  out.append(digits);
}

}  // namespace

void AppendInteger(std::string& out, int32_t value) {
  if (value >= 0) {
    out += ' ';
  }
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendSettingValue(std::string& out, double value) {
  AppendSignSpace(out, value);
  AppendFixed6(out, value);
}

void AppendDataValue(std::string& out, double value) {
  AppendSignSpace(out, value);
  AppendScientific16(out, value);
}

std::string FormatInteger(int32_t value) {
  std::string out;
  AppendInteger(out, value);
  return out;
}

std::string FormatSettingValue(double value) {
  std::string out;
  AppendSettingValue(out, value);
  return out;
}

std::string FormatDataValue(double value) {
  std::string out;
  AppendDataValue(out, value);
  return out;
}

TextWriter& TextWriter::Text(std::string_view text) {
  out_.append(text);
  return *this;
}

TextWriter& TextWriter::TextModeText(std::string_view text) {
  for (const char c : text) {
    if (c == '\n') {
      out_.append(kLineEnd);
    } else {
      out_ += c;
    }
  }
  return *this;
}

TextWriter& TextWriter::Integer(int32_t value) {
  AppendInteger(out_, value);
  return *this;
}

TextWriter& TextWriter::SettingValue(double value) {
  AppendSettingValue(out_, value);
  return *this;
}

TextWriter& TextWriter::DataValue(double value) {
  AppendDataValue(out_, value);
  return *this;
}

TextWriter& TextWriter::SettingPoint(const CMaPoint& point) {
  AppendSettingValue(out_, point.x());
  out_.append(kPointSeparator);
  AppendSettingValue(out_, point.y());
  out_.append(kPointSeparator);
  AppendSettingValue(out_, point.z());
  return LineEnd();
}

TextWriter& TextWriter::DataPoint(const CMaPoint& point) {
  AppendDataValue(out_, point.x());
  out_.append(kPointSeparator);
  AppendDataValue(out_, point.y());
  out_.append(kPointSeparator);
  AppendDataValue(out_, point.z());
  return LineEnd();
}

TextWriter& TextWriter::DataRow(std::span<const double> values) {
  for (const double value : values) {
    AppendDataValue(out_, value);
  }
  return LineEnd();
}

TextWriter& TextWriter::LineEnd() {
  out_.append(kLineEnd);
  return *this;
}

TextWriter& TextWriter::Line(std::string_view text) {
  return Text(text).LineEnd();
}

TextWriter& TextWriter::EmptyLines(int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    LineEnd();
  }
  return *this;
}

TextWriter& TextWriter::IntegerLine(std::string_view label, int32_t value) {
  return Text(label).Integer(value).LineEnd();
}

TextWriter& TextWriter::SettingLine(std::string_view label, double value) {
  return Text(label).SettingValue(value).LineEnd();
}

TextWriter& TextWriter::SettingPointLine(std::string_view label, const CMaPoint& point) {
  return Text(label).SettingPoint(point);
}

}  // namespace ombrixdc
