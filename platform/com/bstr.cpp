#include "platform/com/bstr.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// A BSTR points just past a 32-bit byte count; the characters end with a zero terminator
// that the count leaves out, so the text may itself hold zeros.
using ByteCount = uint32_t;
constexpr uint32_t kMaxLength = UINT32_MAX / sizeof(OLECHAR);
constexpr char16_t kReplacement = 0xFFFD;

char* BlockOf(BSTR text) {
  return reinterpret_cast<char*>(text) - sizeof(ByteCount);
}

// ---- UTF-8 -> UTF-16 ------------------------------------------------------------------------

void AppendUtf16(std::u16string* out, char32_t cp) {
  if (cp < 0x10000) {
    out->push_back(static_cast<char16_t>(cp));
    return;
  }
  cp -= 0x10000;
  out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
  out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

// What a lead byte promises: how many continuation bytes follow and the range the first of
// them must lie in (which rules out overlong forms, surrogates and values past U+10FFFF).
struct LeadByte {
  int continuations = -1;  // -1: not a lead byte
  uint8_t low = 0x80;
  uint8_t high = 0xBF;
  char32_t bits = 0;
};

LeadByte ClassifyLead(uint8_t b) {
  if (b >= 0xC2 && b <= 0xDF) {
    return {1, 0x80, 0xBF, char32_t(b & 0x1F)};
  }
  if (b == 0xE0) {
    return {2, 0xA0, 0xBF, char32_t(b & 0x0F)};
  }
  if (b == 0xED) {
    return {2, 0x80, 0x9F, char32_t(b & 0x0F)};
  }
  if (b >= 0xE1 && b <= 0xEF) {
    return {2, 0x80, 0xBF, char32_t(b & 0x0F)};
  }
  if (b == 0xF0) {
    return {3, 0x90, 0xBF, char32_t(b & 0x07)};
  }
  if (b >= 0xF1 && b <= 0xF3) {
    return {3, 0x80, 0xBF, char32_t(b & 0x07)};
  }
  if (b == 0xF4) {
    return {3, 0x80, 0x8F, char32_t(b & 0x07)};
  }
  return {};
}

// Ill-formed input becomes one U+FFFD per maximal ill-formed subsequence, and decoding
// resumes at the first byte that broke the sequence, so one bad byte never swallows the
// valid text after it.
std::u16string Utf16FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<uint8_t>(text[i++]);
    if (b < 0x80) {
      out.push_back(b);
      continue;
    }
    LeadByte lead = ClassifyLead(b);
    char32_t cp = lead.bits;
    int taken = 0;
    for (; taken < lead.continuations && i < text.size(); ++taken, ++i) {
      const auto c = static_cast<uint8_t>(text[i]);
      if (c < lead.low || c > lead.high) {
        break;
      }
      cp = (cp << 6) | (c & 0x3F);
      lead.low = 0x80;
      lead.high = 0xBF;
    }
    if (lead.continuations < 0 || taken < lead.continuations) {
      out.push_back(kReplacement);
    } else {
      AppendUtf16(&out, cp);
    }
  }
  return out;
}

// ---- UTF-16 -> UTF-8 ------------------------------------------------------------------------

void AppendUtf8(std::string* out, char32_t cp) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// A surrogate without its partner has no UTF-8 form; it becomes U+FFFD.
std::string Utf8FromUtf16(const OLECHAR* text, uint32_t length) {
  std::string out;
  out.reserve(length);
  for (uint32_t i = 0; i < length; ++i) {
    const char16_t c = text[i];
    char32_t cp = c;
    if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[++i]) - 0xDC00);
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      cp = kReplacement;
    }
    AppendUtf8(&out, cp);
  }
  return out;
}

}  // namespace

// ---- allocation -----------------------------------------------------------------------------

BSTR SysAllocString(LPCOLESTR text) {
  if (!text) {
    return nullptr;
  }
  const size_t length = std::char_traits<OLECHAR>::length(text);
  if (length > kMaxLength) {
    return nullptr;
  }
  return SysAllocStringLen(text, static_cast<uint32_t>(length));
}

BSTR SysAllocStringLen(LPCOLESTR text, uint32_t length) {
  if (length > kMaxLength) {
    return nullptr;
  }
  const ByteCount bytes = length * static_cast<ByteCount>(sizeof(OLECHAR));
  char* block =
      static_cast<char*>(std::malloc(sizeof(ByteCount) + size_t{bytes} + sizeof(OLECHAR)));
  if (!block) {
    return nullptr;
  }
  std::memcpy(block, &bytes, sizeof bytes);
  auto* chars = reinterpret_cast<OLECHAR*>(block + sizeof(ByteCount));
  if (text) {
    std::memcpy(chars, text, bytes);
  } else {
    std::memset(chars, 0, bytes);
  }
  chars[length] = u'\0';
  return chars;
}

void SysFreeString(BSTR text) {
  if (text) {
    std::free(BlockOf(text));
  }
}

uint32_t SysStringLen(BSTR text) {
  if (!text) {
    return 0;
  }
  ByteCount bytes = 0;
  std::memcpy(&bytes, BlockOf(text), sizeof bytes);
  return bytes / sizeof(OLECHAR);
}

// ---- conversions ----------------------------------------------------------------------------

BSTR BstrFromUtf8(std::string_view text) {
  const std::u16string wide = Utf16FromUtf8(text);
  if (wide.size() > kMaxLength) {
    return nullptr;
  }
  return SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
}

std::string Utf8FromBstr(BSTR text) {
  if (!text) {
    return {};
  }
  return Utf8FromUtf16(text, SysStringLen(text));
}

std::u16string U16FromBstr(BSTR text) {
  if (!text) {
    return {};
  }
  return std::u16string(text, SysStringLen(text));
}

// ---- ComBstr --------------------------------------------------------------------------------

ComBstr& ComBstr::operator=(const ComBstr& other) {
  if (this != &other) {
    BSTR copy = Copy(other.text_);
    SysFreeString(text_);
    text_ = copy;
  }
  return *this;
}

ComBstr& ComBstr::operator=(ComBstr&& other) noexcept {
  if (this != &other) {
    SysFreeString(text_);
    text_ = other.Detach();
  }
  return *this;
}

ComBstr ComBstr::CopyOf(BSTR text) {
  ComBstr result;
  result.text_ = Copy(text);
  return result;
}

ComBstr ComBstr::Attach(BSTR text) {
  ComBstr result;
  result.text_ = text;
  return result;
}

BSTR* ComBstr::Receive() {
  SysFreeString(std::exchange(text_, nullptr));
  return &text_;
}

BSTR ComBstr::Detach() {
  return std::exchange(text_, nullptr);
}

// Copies keep the exact length, so embedded zeros survive.
BSTR ComBstr::Copy(BSTR text) {
  return text ? SysAllocStringLen(text, SysStringLen(text)) : nullptr;
}
