#pragma once
// Numbers as the command line prints them: the shortest text that reads back to the same
// double, independent of the locale.
#include <charconv>
#include <string>

inline std::string ShortestText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}
