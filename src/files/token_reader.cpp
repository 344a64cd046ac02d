#include "src/files/token_reader.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <system_error>
#include <type_traits>

#include "platform/text/ascii.h"

namespace ombrixdc {

std::optional<TokenReader> TokenReader::FromFile(const std::filesystem::path& path) {
  // A folder opens for reading on some systems and then reads as nothing: it is no file.
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    return std::nullopt;
  }
  return TokenReader(std::move(content).str());
}

void TokenReader::SkipSpace() {
  while (pos_ < text_.size() && AsciiIsSpace(text_[pos_])) {
    ++pos_;
  }
}

std::size_t TokenReader::LineNumber() const {
  std::size_t line = 1;
  for (std::size_t i = 0; i < pos_ && i < text_.size(); ++i) {
    line += text_[i] == '\n' ? 1 : 0;
  }
  return line;
}

bool TokenReader::AtEnd() {
  SkipSpace();
  return pos_ >= text_.size();
}

std::optional<std::string> TokenReader::ReadWord() {
  SkipSpace();
  if (pos_ >= text_.size()) {
    return std::nullopt;
  }
  const size_t start = pos_;
  while (pos_ < text_.size() && !AsciiIsSpace(text_[pos_])) {
    ++pos_;
  }
  return text_.substr(start, pos_ - start);
}

bool TokenReader::SkipPast(std::string_view label) {
  while (auto word = ReadWord()) {
    if (AsciiEqualsIgnoringCase(*word, label)) {
      return true;
    }
  }
  return false;
}

// A number as the C library scans one: leading whitespace skipped, an optional sign (from_chars
// takes a minus sign but not a plus sign), then as many characters as can continue it.
template <class T>
std::optional<T> TokenReader::ReadNumber() {
  SkipSpace();
  const char* first = text_.data() + pos_;
  const char* last = text_.data() + text_.size();
  const bool plus = first != last && *first == '+';
  if (plus) {
    ++first;
  }
  if (plus && first != last && *first == '-') {
    return std::nullopt;
  }
  T value{};
  std::from_chars_result result;
  if constexpr (std::is_floating_point_v<T>) {
    result = std::from_chars(first, last, value, std::chars_format::general);
  } else {
    result = std::from_chars(first, last, value);
  }
  if (result.ec != std::errc()) {
    return std::nullopt;
  }
  pos_ = static_cast<size_t>(result.ptr - text_.data());
  return value;
}

std::optional<int32_t> TokenReader::ReadInt() {
  return ReadNumber<int32_t>();
}

std::optional<double> TokenReader::ReadDouble() {
  const std::size_t start = pos_;
  const std::optional<double> value = ReadNumber<double>();
  // No file the system writes holds an infinity or a NaN: such a word is damage, and a NaN
  // would otherwise run through a whole computation and out as a plausible-looking result.
  if (value && !std::isfinite(*value)) {
    pos_ = start;
    return std::nullopt;
  }
  return value;
}

}  // namespace ombrixdc
