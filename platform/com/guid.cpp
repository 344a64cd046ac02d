#include "platform/com/guid.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace {

// The text form is 8-4-4-4-12 hex digits; these are the offsets of the dashes.
constexpr size_t kGuidTextLength = 36;
constexpr size_t kDashes[] = {8, 13, 18, 23};

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// Reads `digits` hex digits at `pos`; false when any of them is not a hex digit.
bool ReadHex(std::string_view text, size_t pos, size_t digits, uint32_t* value) {
  uint32_t result = 0;
  for (size_t i = 0; i < digits; ++i) {
    const int digit = HexValue(text[pos + i]);
    if (digit < 0) {
      return false;
    }
    result = (result << 4) | static_cast<uint32_t>(digit);
  }
  *value = result;
  return true;
}

void WriteHex(std::string* out, uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
    out->push_back(kDigits[(value >> shift) & 0xF]);
  }
}

}  // namespace

bool operator<(const GUID& a, const GUID& b) {
  const auto headA = std::tie(a.Data1, a.Data2, a.Data3);
  const auto headB = std::tie(b.Data1, b.Data2, b.Data3);
  if (headA != headB) {
    return headA < headB;
  }
  return std::lexicographical_compare(std::begin(a.Data4), std::end(a.Data4), std::begin(b.Data4),
                                      std::end(b.Data4));
}

std::optional<GUID> ParseGuid(std::string_view text) {
  if (text.size() == kGuidTextLength + 2) {
    if (text.front() != '{' || text.back() != '}') {
      return std::nullopt;
    }
    text = text.substr(1, kGuidTextLength);
  }
  if (text.size() != kGuidTextLength) {
    return std::nullopt;
  }
  for (size_t dash : kDashes) {
    if (text[dash] != '-') {
      return std::nullopt;
    }
  }

  GUID guid{};
  uint32_t field = 0;
  if (!ReadHex(text, 0, 8, &guid.Data1)) {
    return std::nullopt;
  }
  if (!ReadHex(text, 9, 4, &field)) {
    return std::nullopt;
  }
  guid.Data2 = static_cast<uint16_t>(field);
  if (!ReadHex(text, 14, 4, &field)) {
    return std::nullopt;
  }
  guid.Data3 = static_cast<uint16_t>(field);
  // Data4 is the last two groups, byte by byte in the order they are written.
  constexpr size_t kData4Offsets[] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (size_t i = 0; i < 8; ++i) {
    if (!ReadHex(text, kData4Offsets[i], 2, &field)) {
      return std::nullopt;
    }
    guid.Data4[i] = static_cast<uint8_t>(field);
  }
  return guid;
}

std::string FormatGuid(const GUID& guid) {
  std::string out;
  out.reserve(kGuidTextLength + 2);
  out.push_back('{');
  WriteHex(&out, guid.Data1, 8);
  out.push_back('-');
  WriteHex(&out, guid.Data2, 4);
  out.push_back('-');
  WriteHex(&out, guid.Data3, 4);
  out.push_back('-');
  for (size_t i = 0; i < 8; ++i) {
    if (i == 2) {
      out.push_back('-');
    }
    WriteHex(&out, guid.Data4[i], 2);
  }
  out.push_back('}');
  return out;
}
