// The text forms: strings between UTF-8 and UTF-16, and class ids.
#include "platform/com/bstr.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/com/guid.h"
#include "platform/com/unknown.h"

namespace {

TEST(BstrLayout, PrefixHoldsByteCountTextEndsWithZeroAndNullReadsEmpty) {
  BSTR text = SysAllocString(u"probe");
  uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof bytes, sizeof bytes);
  EXPECT_EQ(bytes, 10u);
  EXPECT_EQ(text[5], u'\0');
  SysFreeString(text);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(Utf8FromBstr(nullptr), "");
  EXPECT_EQ(SysAllocStringLen(u"x", 0x80000000u), nullptr);  // byte count would not fit
}

TEST(BstrUtf8, RoundTripsEverySequenceLengthAndReplacesWhatIsIllFormed) {
  // 2-, 3- and 4-byte sequences (the emoji and U+10FFFF need surrogate pairs); the micro sign
  // has the lowest two-byte lead, the last character the highest continuation byte.
  const std::string utf8 =
      "Gr\xC3\xB6\xC3\x9F \xC2\xB5m \xE5\x9C\x86 \xF0\x9F\x98\x80\xF4\x8F\xBF\xBF!\xC3\xBF";
  BSTR text = BstrFromUtf8(utf8);
  EXPECT_EQ(U16FromBstr(text), u"Größ µm 圆 \U0001F600\U0010FFFF!ÿ");
  EXPECT_EQ(Utf8FromBstr(text), utf8);
  SysFreeString(text);

  const std::pair<std::string, std::u16string> cases[] = {
      {"a\xE2\x82z", u"a\uFFFDz"},                        // truncated, text after survives
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong '/'
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"\xFF\x80x", u"\uFFFD\uFFFDx"},                    // never a lead byte, stray continuation
  };
  for (const auto& [bytes, expected] : cases) {
    text = BstrFromUtf8(bytes);
    EXPECT_EQ(U16FromBstr(text), expected);
    SysFreeString(text);
  }
  const char16_t unpaired[] = {u'a', 0xD800, u'b', 0xDC00, 0xD83D};
  text = SysAllocStringLen(unpaired, 5);
  EXPECT_EQ(Utf8FromBstr(text), "a\uFFFDb\uFFFD\uFFFD");
  SysFreeString(text);
}

TEST(GuidText, ParsesAnyCaseFormatsUpperCaseWithBracesRoundTripsAndRejectsAllElse) {
  const GUID sample = {
      0x4C5CE8B0, 0xE05C, 0x11D2, {0x99, 0x8F, 0xB1, 0x1D, 0x00, 0xE7, 0x2B, 0x08}};
  EXPECT_EQ(ParseGuid("{4c5ce8b0-E05C-11d2-998F-b11d00e72b08}"), sample);
  EXPECT_EQ(ParseGuid("00000000-0000-0000-C000-000000000046"), IID_IUnknown);
  EXPECT_EQ(FormatGuid(sample), "{4C5CE8B0-E05C-11D2-998F-B11D00E72B08}");
  const GUID extremes = {0xFFFFFFFF, 0x0001, 0xFFFE, {0xFF, 0, 0x80, 0x7F, 1, 0xFE, 0x10, 0x0F}};
  EXPECT_EQ(ParseGuid(FormatGuid(extremes)), extremes);
  // Unbalanced braces, one digit short, not hex, a sign a number parser would take, a dash
  // out of place.
  for (const char* bad :
       {"", "{4C5CE8B0-E05C-11D2-998F-B11D00E72B08", "{4C5CE8B0-E05C-11D2-998F-B11D00E72B0}",
        "{4C5CE8BG-E05C-11D2-998F-B11D00E72B08}", "{+C5CE8B0-E05C-11D2-998F-B11D00E72B08}",
        "{4C5CE8B-0E05C-11D2-998F-B11D00E72B08}"}) {
    EXPECT_FALSE(ParseGuid(bad).has_value()) << bad;
  }
}

}  // namespace
