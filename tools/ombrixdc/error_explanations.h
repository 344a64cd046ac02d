#pragma once
// What a user should check when a run fails, for each error number the component records.
//
// To be joined with the component's error table (name, number, code, meaning) when that table
// lands: the texts here are keyed by the same error numbers, and the codes are never written
// down here but come from ErrorCode.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "src/engine/error_number.h"

struct ErrorExplanation {
  ErrorNumber number;
  std::string_view name;
  std::string_view check;  // one line: what to check
};

std::span<const ErrorExplanation> ErrorExplanations();
std::string HexCode(uint32_t code);  // 0x83100009

// "0x83100009 NoStoredMap: <what to check>" for a code GetLastError returned; a controller's
// code, or any code the table does not list, gets a general line.
std::string ExplainErrorCode(uint32_t code);
