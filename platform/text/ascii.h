#pragma once
// Case folding and white space of the ASCII letters only. Names in files, settings, the
// registry and the automation interface are ASCII; the C library's character functions
// follow the locale a host may set (in a Turkish locale 'I' does not fold to 'i'), so every
// comparison of names goes through these instead.
#include <cstddef>
#include <string>
#include <string_view>

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// UTF-16 text (automation names): only the ASCII letters fold.
constexpr char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Space, tab, line feed, vertical tab, form feed and carriage return.
constexpr bool AsciiIsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline std::string AsciiLowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    c = AsciiLower(c);
  }
  return lower;
}

constexpr bool AsciiEqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) {
      return false;
    }
  }
  return true;
}
