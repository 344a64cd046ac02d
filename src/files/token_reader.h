#pragma once
// Reads the system's text files the way they are defined: as a stream of whitespace-separated
// words and numbers. Labels are found by scanning words without regard to case, never by line
// position. Numbers follow the C library's scanning rules ("%d", "%lf"): leading whitespace is
// skipped and the number ends at the first character that cannot continue it, so
// "1.5-2.5" reads as two numbers. Independent of the process locale (white space and case are
// ASCIIs); LF and CR LF alike.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ombrixdc {

class TokenReader {
 public:
  explicit TokenReader(std::string text) : text_(std::move(text)) {}

  // The whole file, or nullopt when it cannot be opened or read.
  static std::optional<TokenReader> FromFile(const std::filesystem::path& path);

  // The next word ("%s"); nullopt at the end.
  std::optional<std::string> ReadWord();
  // Reads words up to and including one equal to `label` without regard to case. False (at
  // the end of the text) when there is none.
  bool SkipPast(std::string_view label);
  // An integer ("%d"): optional sign and decimal digits. Out of range fails.
  std::optional<int32_t> ReadInt();
  // A double ("%lf"): optional sign, digits with an optional point and exponent. An infinity or
  // NaN ("inf", "nan") fails as a malformed number does: no stored file holds one.
  std::optional<double> ReadDouble();

  bool AtEnd();
  // Characters not yet read: what is left to back a count read from the file.
  std::size_t Remaining() const { return text_.size() - pos_; }
  // The line (from 1) the reading has reached, for saying where a file is damaged.
  std::size_t LineNumber() const;

 private:
  template <class T>
  std::optional<T> ReadNumber();
  void SkipSpace();
  // The next word as a view into the text; empty at the end.
  std::string_view NextWord();
  std::string text_;
  size_t pos_ = 0;
};

}  // namespace ombrixdc
