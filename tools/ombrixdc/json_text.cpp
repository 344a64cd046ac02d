#include "tools/ombrixdc/json_text.h"

#include <cmath>
#include <cstdio>

#include "tools/ombrixdc/number_text.h"

std::string JsonText(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonNumber(double value) {
  return std::isfinite(value) ? ShortestText(value) : "null";
}
