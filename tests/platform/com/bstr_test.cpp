#include "platform/com/bstr.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace {

using namespace std::string_literals;

uint32_t BytePrefix(BSTR text) {
  uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof bytes, sizeof bytes);
  return bytes;
}

TEST(BstrLayout, PrefixHoldsByteCountAndTextEndsWithZero) {
  BSTR text = SysAllocString(u"probe");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(BytePrefix(text), 10u);
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(text[5], u'\0');
  SysFreeString(text);

  BSTR empty = SysAllocString(u"");
  ASSERT_NE(empty, nullptr);  // empty is a string, unlike null
  EXPECT_EQ(BytePrefix(empty), 0u);
  SysFreeString(empty);
}

TEST(BstrLayout, NullIsTheAbsentStringAndReadsEmpty) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(Utf8FromBstr(nullptr), "");
  EXPECT_EQ(U16FromBstr(nullptr), u"");
  SysFreeString(nullptr);
  EXPECT_EQ(SysAllocStringLen(u"x", 0x80000000u), nullptr);  // byte count would not fit
}

TEST(BstrUtf8, RoundTripsNonAsciiAndSurrogatePairs) {
  // 2-, 3- and 4-byte sequences; the emoji needs a surrogate pair.
  const std::string utf8 =
      "Gr\xC3\xB6\xC3\x9F"
      "e \xC2\xB1 \xE5\x9C\x86 \xF0\x9F\x98\x80!\xC3\xBF";  // the last: highest continuation
  BSTR text = BstrFromUtf8(utf8);
  EXPECT_EQ(U16FromBstr(text), u"Größe ± 圆 \U0001F600!ÿ");
  EXPECT_EQ(text[10], 0xD83D);
  EXPECT_EQ(text[11], 0xDE00);
  EXPECT_EQ(Utf8FromBstr(text), utf8);
  SysFreeString(text);
}

TEST(BstrUtf8, IllFormedInputBecomesReplacementCharacters) {
  const struct {
    std::string utf8;
    std::u16string expected;
  } cases[] = {
      {"a\xC3", u"a\uFFFD"},                              // truncated at the end
      {"a\xE2\x82z", u"a\uFFFDz"},                        // truncated, text after survives
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong '/'
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"\xFF\x80x", u"\uFFFD\uFFFDx"},                    // never a lead byte, stray continuation
  };
  for (const auto& c : cases) {
    BSTR text = BstrFromUtf8(c.utf8);
    EXPECT_EQ(U16FromBstr(text), c.expected);
    SysFreeString(text);
  }
}

TEST(BstrUtf8, UnpairedSurrogatesBecomeReplacementCharacters) {
  const char16_t units[] = {u'a', 0xD800, u'b', 0xDC00, 0xD83D};
  BSTR text = SysAllocStringLen(units, 5);
  EXPECT_EQ(Utf8FromBstr(text),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD\xEF\xBF\xBD");
  SysFreeString(text);
}

}  // namespace
