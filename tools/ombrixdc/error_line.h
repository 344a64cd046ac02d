#pragma once
// The line a failed run prints: "GetLastError 0x83100009", and for a code the error table
// lists, its name and meaning (what to check), as docs/errors.md lists them.
#include <cstdint>
#include <cstdio>
#include <string>

#include "src/engine/error_number.h"

inline std::string ErrorCodeLine(uint32_t code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", code);
  std::string line = std::string("GetLastError ") + hex;
  if (const ombrixdc::ErrorEntry* entry = ombrixdc::FindErrorCode(code)) {
    line += " ";
    line += entry->name;
    line += ": ";
    line += entry->meaning;
  }
  return line;
}
