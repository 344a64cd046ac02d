#pragma once
// Automation strings (declared in the public header): UTF-8 conversions and an owner.
#include <string>
#include <string_view>

#include "include/OmbrixDC_com.h"

// Conversions between UTF-8 and automation strings.
BSTR BstrFromUtf8(std::string_view text);
std::string Utf8FromBstr(BSTR text);
std::u16string U16FromBstr(BSTR text);

// Owns one BSTR; frees it on destruction. Copying makes a new string of the same length
// (embedded zeros included); moving hands the string over.
class ComBstr {
 public:
  ComBstr() = default;
  explicit ComBstr(std::string_view utf8) : text_(BstrFromUtf8(utf8)) {}
  ComBstr(const ComBstr& other) : text_(Copy(other.text_)) {}
  ComBstr(ComBstr&& other) noexcept : text_(other.Detach()) {}
  ComBstr& operator=(const ComBstr& other);
  ComBstr& operator=(ComBstr&& other) noexcept;
  ~ComBstr() { SysFreeString(text_); }

  static ComBstr CopyOf(BSTR text);
  static ComBstr Attach(BSTR text);

  BSTR Get() const { return text_; }
  BSTR* Receive();  // frees the held string and returns its address for an out-parameter
  BSTR Detach();
  bool IsAbsent() const { return text_ == nullptr; }
  uint32_t Length() const { return SysStringLen(text_); }
  std::string Utf8() const { return Utf8FromBstr(text_); }

 private:
  static BSTR Copy(BSTR text);
  BSTR text_ = nullptr;
};
