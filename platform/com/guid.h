#pragma once
// 128-bit class and interface identifiers (laid out in the public header): ordering and text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "include/OmbrixDC_com.h"

bool operator<(const GUID& a, const GUID& b);

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits of either case; the braces are
// optional). Anything else gives nullopt.
[[nodiscard]] std::optional<GUID> ParseGuid(std::string_view text);

// Formats as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case hex digits.
std::string FormatGuid(const GUID& guid);
