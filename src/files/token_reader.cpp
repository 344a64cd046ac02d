#include "src/files/token_reader.h"

#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

namespace {
bool IsSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}
}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<TokenReader> TokenReader::FromFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad())
    return std::nullopt;
  return TokenReader(std::move(content).str());
}

void TokenReader::SkipSpace() {
  while (pos_ < text_.size() && IsSpace(text_[pos_]))
    ++pos_;
}

bool TokenReader::AtEnd() {
  SkipSpace();
  return pos_ >= text_.size();
}

std::optional<std::string> TokenReader::ReadWord() {
  SkipSpace();
  if (pos_ >= text_.size())
    return std::nullopt;
  const size_t start = pos_;
  while (pos_ < text_.size() && !IsSpace(text_[pos_]))
    ++pos_;
  return text_.substr(start, pos_ - start);
}

bool TokenReader::SkipPast(std::string_view label) {
  while (auto word = ReadWord()) {
    if (EqualsIgnoringCase(*word, label))
      return true;
  }
  return false;
}

std::optional<int32_t> TokenReader::ReadInt() {
  SkipSpace();
  const char* first = text_.data() + pos_;
  const char* last = text_.data() + text_.size();
  // from_chars takes a minus sign but not a plus sign.
  const bool plus = first != last && *first == '+';
  if (plus)
    ++first;
  if (plus && first != last && *first == '-')
    return std::nullopt;
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc())
    return std::nullopt;
  pos_ = static_cast<size_t>(end - text_.data());
  return value;
}

std::optional<double> TokenReader::ReadDouble() {
  SkipSpace();
  const char* first = text_.data() + pos_;
  const char* last = text_.data() + text_.size();
  const bool plus = first != last && *first == '+';
  if (plus)
    ++first;
  if (plus && first != last && *first == '-')
    return std::nullopt;
  double value = 0.0;
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc())
    return std::nullopt;
  pos_ = static_cast<size_t>(end - text_.data());
  return value;
}
