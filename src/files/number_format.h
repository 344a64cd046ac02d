#pragma once
// The one formatter for every text file the system writes (map file, circle data file, data
// sets file, raw scan files). The files must be byte-identical to those written on the
// measuring machine's Windows runtime in text mode:
//   - a value that is not negative (0.0 and -0.0 included) is preceded by one space, a
//     negative value by nothing: its minus sign separates it from the previous number;
//   - integers "%d", setting values "%1.6f", data values "%1.16e" with a three-digit exponent
//     (one thousandth is 1.0000000000000000e-003);
//   - a point is three values separated by three spaces;
//   - every line ends with CR LF.
// Nothing here depends on the process locale: a host that sets a decimal comma changes nothing.
// Infinities and NaN (which no measurement produces) are written as "inf", "-inf" and "nan",
// which the token reader reads back; NaN gets the leading space so it stays a separate word.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/trivell/geometry.h"

namespace ombrixdc {

inline constexpr std::string_view kLineEnd = "\r\n";
// Between the coordinates of a point, before each coordinate's own sign space.
inline constexpr std::string_view kPointSeparator = "   ";

// Single values with their sign space, appended to `out`.
void AppendInteger(std::string& out, int32_t value);
void AppendSettingValue(std::string& out, double value);
void AppendDataValue(std::string& out, double value);

// The same as strings (for tests and for text shown to the user).
std::string FormatInteger(int32_t value);
std::string FormatSettingValue(double value);
std::string FormatDataValue(double value);

// Builds a file's text line by line. Every call appends; Take() hands the text over.
class TextWriter {
 public:
  // Plain text as it stands (a label with its trailing space, a title, a free text).
  TextWriter& Text(std::string_view text);
  // Free text as text mode writes it: every LF inside becomes CR LF.
  TextWriter& TextModeText(std::string_view text);
  TextWriter& Integer(int32_t value);
  TextWriter& SettingValue(double value);
  TextWriter& DataValue(double value);
  // x, three spaces, y, three spaces, z, each with its sign space; then the line end.
  TextWriter& SettingPoint(const CMaPoint& point);
  TextWriter& DataPoint(const CMaPoint& point);
  // Data values one after the other with no separator but their sign spaces, then the line
  // end: a map or circle data row (value, angle) or a raw scan line (three coordinates).
  TextWriter& DataRow(std::span<const double> values);
  TextWriter& LineEnd();
  // `text` and a line end.
  TextWriter& Line(std::string_view text);
  TextWriter& EmptyLines(int32_t count);

  // The common shapes "Label: value" + line end.
  TextWriter& IntegerLine(std::string_view label, int32_t value);
  TextWriter& SettingLine(std::string_view label, double value);
  TextWriter& SettingPointLine(std::string_view label, const CMaPoint& point);

  const std::string& Str() const { return out_; }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

}  // namespace ombrixdc
