#include "platform/com/bstr.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(BstrLayout, PrefixHoldsByteCountTextEndsWithZeroAndNullReadsEmpty) {
  for (const char16_t* value : {u"probe", u""}) {
    BSTR text = SysAllocString(value);
    ASSERT_NE(text, nullptr);  // empty is a string, unlike null
    uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof bytes, sizeof bytes);
    EXPECT_EQ(bytes, 2 * SysStringLen(text));
    EXPECT_EQ(text[SysStringLen(text)], u'\0');
    SysFreeString(text);
  }
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(Utf8FromBstr(nullptr), "");
  SysFreeString(nullptr);
  EXPECT_EQ(SysAllocStringLen(u"x", 0x80000000u), nullptr);  // byte count would not fit
}

TEST(BstrUtf8, RoundTripsEverySequenceLengthAndReplacesWhatIsIllFormed) {
  // 2-, 3- and 4-byte sequences (the emoji needs a surrogate pair); the last character has
  // the highest continuation byte.
  const std::string utf8 = "Gr\xC3\xB6\xC3\x9F \xE5\x9C\x86 \xF0\x9F\x98\x80!\xC3\xBF";
  BSTR text = BstrFromUtf8(utf8);
  EXPECT_EQ(U16FromBstr(text), u"Größ 圆 \U0001F600!ÿ");
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
  EXPECT_EQ(Utf8FromBstr(text),
            "a\uFFFD"
            "b\uFFFD\uFFFD");
  SysFreeString(text);
}

}  // namespace
