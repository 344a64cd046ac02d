#include "src/files/token_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
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
  // One read into a string of the file's size. A file that grew since its size was taken, or
  // one without a size (a pipe), is read on to its end; one that shrank gives what is there.
  std::error_code noSize;
  const std::uintmax_t size = std::filesystem::file_size(path, noSize);
  std::string text(noSize ? 0 : static_cast<std::size_t>(size), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  std::size_t length = static_cast<std::size_t>(in.gcount());
  while (in && length == text.size() && in.peek() != std::ifstream::traits_type::eof()) {
    text.resize(length + std::max<std::size_t>(length, 4096));
    in.read(text.data() + length, static_cast<std::streamsize>(text.size() - length));
    length += static_cast<std::size_t>(in.gcount());
  }
  if (in.bad()) {
    return std::nullopt;
  }
  text.resize(length);
  return TokenReader(std::move(text));
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

std::string_view TokenReader::NextWord() {
  SkipSpace();
  const size_t start = pos_;
  while (pos_ < text_.size() && !AsciiIsSpace(text_[pos_])) {
    ++pos_;
  }
  return std::string_view(text_).substr(start, pos_ - start);
}

std::optional<std::string> TokenReader::ReadWord() {
  const std::string_view word = NextWord();
  if (word.empty()) {
    return std::nullopt;
  }
  return std::string(word);
}

bool TokenReader::SkipPast(std::string_view label) {
  for (std::string_view word = NextWord(); !word.empty(); word = NextWord()) {
    if (AsciiEqualsIgnoringCase(word, label)) {
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
