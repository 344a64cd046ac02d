// The automation data types: strings between UTF-8 and UTF-16, class ids in text, variants
// and safe arrays.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "platform/com/bstr.h"
#include "platform/com/guid.h"
#include "platform/com/object.h"
#include "platform/com/safearray.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"
#include "tests/support/variant_values.h"

namespace {

TEST(BstrLayout, PrefixHoldsByteCountTextEndsWithZeroAndNullReadsEmpty) {
  const ComBstr text = ComBstr::Attach(SysAllocString(u"probe"));
  uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<const char*>(text.Get()) - sizeof bytes, sizeof bytes);
  EXPECT_EQ(bytes, 10u);
  EXPECT_EQ(text.Get()[5], u'\0');
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(Utf8FromBstr(nullptr), "");
  EXPECT_EQ(SysAllocStringLen(u"x", 0x80000000u), nullptr);  // byte count would not fit
}

TEST(BstrUtf8, RoundTripsEverySequenceLengthAndReplacesWhatIsIllFormed) {
  // 2-, 3- and 4-byte sequences (the emoji and U+10FFFF need surrogate pairs); the micro sign
  // has the lowest two-byte lead, the last character the highest continuation byte.
  const std::string utf8 =
      "Gr\xC3\xB6\xC3\x9F \xC2\xB5m \xE5\x9C\x86 \xF0\x9F\x98\x80\xF4\x8F\xBF\xBF!\xC3\xBF";
  const ComBstr text(utf8);
  EXPECT_EQ(U16FromBstr(text.Get()), u"Größ µm 圆 \U0001F600\U0010FFFF!ÿ");
  EXPECT_EQ(text.Utf8(), utf8);
  const std::pair<std::string, std::u16string> cases[] = {
      {"a\xE2\x82z", u"a\uFFFDz"},                        // truncated, text after survives
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong '/'
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"\xFF\x80x", u"\uFFFD\uFFFDx"},                    // never a lead byte, stray continuation
  };
  for (const auto& [bytes, expected] : cases) {
    EXPECT_EQ(U16FromBstr(ComBstr(bytes).Get()), expected);
  }
  const char16_t unpaired[] = {u'a', 0xD800, u'b', 0xDC00, 0xD83D};
  EXPECT_EQ(ComBstr::Attach(SysAllocStringLen(unpaired, 5)).Utf8(), "a\uFFFDb\uFFFD\uFFFD");
}

TEST(GuidText, ParsesAnyCaseFormatsUpperCaseWithBracesRoundTripsAndRejectsAllElse) {
  const GUID sample = {
      0x4C5CE8B0, 0xE05C, 0x11D2, {0x99, 0x8F, 0xB1, 0x1D, 0x00, 0xE7, 0x2B, 0x08}};
  EXPECT_EQ(ParseGuid("{4c5ce8b0-E05C-11d2-998F-b11d00e72b08}"), sample);
  EXPECT_EQ(ParseGuid("00000000-0000-0000-C000-000000000046"), IID_IUnknown);
  EXPECT_EQ(FormatGuid(sample), "{4C5CE8B0-E05C-11D2-998F-B11D00E72B08}");
  const GUID extremes = {0xFFFFFFFF, 0x0001, 0xFFFE, {0xFF, 0, 0x80, 0x7F, 1, 0xFE, 0x10, 0x0F}};
  EXPECT_EQ(ParseGuid(FormatGuid(extremes)), extremes);
  // Empty, unbalanced braces, not hex, a dash out of place.
  for (const char* bad :
       {"", "{4C5CE8B0-E05C-11D2-998F-B11D00E72B08", "{4C5CE8BG-E05C-11D2-998F-B11D00E72B08}",
        "{4C5CE8B-0E05C-11D2-998F-B11D00E72B08}"}) {
    EXPECT_FALSE(ParseGuid(bad).has_value()) << bad;
  }
}

struct Widget final : ComObject<IUnknown> {};

TEST(Variant, CopyDuplicatesStringsAndArraysSharesInterfacesAndClearFreesThem) {
  ComVariant text, array, object, copy;
  static_cast<VARIANT&>(text) = Text("probe");
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  EXPECT_NE(copy.bstrVal, text.bstrVal);
  EXPECT_EQ(Utf8FromBstr(copy.bstrVal), "probe");

  array.vt = VT_ARRAY | VT_R8;
  array.parray = SafeArrayCreateVector(VT_R8, 5, 2);
  LONG index = 6;
  double value = 2.5;
  SafeArrayPutElement(array.parray, &index, &value);
  ASSERT_EQ(VariantCopy(&copy, &array), S_OK);  // replaces the string, freeing it
  ASSERT_NE(copy.parray, array.parray);
  value = 0;
  SafeArrayGetElement(copy.parray, &index, &value);
  EXPECT_EQ(value, 2.5);

  const ULONG alive = ComObjectsAlive();
  static_cast<VARIANT&>(object) = Unknown(MakeComObject<Widget>().Detach());
  ASSERT_EQ(VariantCopy(&copy, &object), S_OK);
  EXPECT_EQ(VariantClear(&object), S_OK);
  EXPECT_EQ(ComObjectsAlive(), alive + 1);  // the copy holds its own reference
  EXPECT_EQ(VariantClear(&copy), S_OK);
  EXPECT_EQ(ComObjectsAlive(), alive);
  copy.vt = 0x0FFF;  // no such type
  EXPECT_EQ(VariantClear(&copy), DISP_E_BADVARTYPE);
  copy.vt = VT_EMPTY;
}

// Text conversions run under a locale that writes decimal commas, as a host may have set: they
// must not care.
TEST(Variant, NumbersAndTextConvertRoundingHalfToEvenAndCheckingTheirRange) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  const struct {
    const char* text;  // the source when given, else `number`
    double number;
    VARTYPE target;
    HRESULT expected;
    double value;
  } cases[] = {
      {nullptr, 2.5, VT_I4, S_OK, 2},
      {nullptr, 2147483647.6, VT_I4, DISP_E_OVERFLOW, 0},
      {nullptr, -2147483648.0, VT_I4, S_OK, -2147483648.0},
      {nullptr, 255.0, VT_UI1, S_OK, 255},
      {" 12.5 ", 0, VT_R8, S_OK, 12.5},
      {"+42", 0, VT_I4, S_OK, 42},
      {"4e-320", 0, VT_R8, S_OK, 4e-320},  // a subnormal reads as itself
      {"1e-400", 0, VT_R8, S_OK, 0.0},     // too small to tell from 0
      {"12,5", 0, VT_R8, DISP_E_TYPEMISMATCH, 0},
      {"0x10", 0, VT_R8, DISP_E_TYPEMISMATCH, 0},
      {"-1e400", 0, VT_BOOL, DISP_E_OVERFLOW, 0},  // never a silent 0 beyond a double's range
      {"probe", 0, VT_EMPTY, S_OK, 0},             // anything can be emptied
  };
  for (const auto& c : cases) {
    ComVariant source, out;
    static_cast<VARIANT&>(source) = c.text ? Text(c.text) : Real(c.number);
    ASSERT_EQ(VariantChangeType(&out, &source, 0, c.target), c.expected) << c.text << c.number;
    EXPECT_EQ(out.vt, c.expected == S_OK ? c.target : VARTYPE{VT_EMPTY});  // failures leave it
    const double value = out.vt == VT_I4 ? out.lVal : out.vt == VT_UI1 ? out.bVal : out.dblVal;
    EXPECT_EQ(c.expected == S_OK ? value : 0.0, c.value) << c.text << " " << c.number;
  }
  std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(Variant, NumbersBecomeTextThatReadsBackTheSame_AReferenceConvertsAsItsTarget) {
  ComVariant back, text, wide, exact;
  const VARIANT third = Real(1.0 / 3.0);
  ASSERT_EQ(VariantChangeType(&text, &third, 0, VT_BSTR), S_OK);
  ASSERT_EQ(VariantChangeType(&back, &text, 0, VT_R8), S_OK);
  EXPECT_EQ(back.dblVal, 1.0 / 3.0);
  unsigned char byte = 200;
  const VARIANT byRef = Ref(VT_UI1, &byte);
  ASSERT_EQ(VariantChangeType(&wide, &byRef, 0, VT_I4), S_OK);
  EXPECT_EQ(wide.lVal, 200);
  // The largest signed 64-bit value held unsigned converts exactly, not through a double.
  VARIANT largest = Of(VT_UI8);
  largest.ullVal = INT64_MAX;
  ASSERT_EQ(VariantChangeType(&exact, &largest, 0, VT_I8), S_OK);
  EXPECT_EQ(exact.llVal, INT64_MAX);
}

TEST(SafeArray, VectorHasItsBoundsElementsAndLock) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, 4);
  ASSERT_NE(array, nullptr);
  VARTYPE vt = VT_EMPTY;
  EXPECT_EQ(SafeArrayGetVartype(array, &vt), S_OK);
  EXPECT_EQ(vt, VT_R8);
  LONG upper = -1;
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
  EXPECT_EQ(upper, 3);
  EXPECT_EQ(SafeArrayGetUBound(array, 2, &upper), DISP_E_BADINDEX);
  for (LONG i = 0; i < 4; ++i) {
    double value = 1.5 * i;
    ASSERT_EQ(SafeArrayPutElement(array, &i, &value), S_OK);
  }
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(static_cast<double*>(data)[3], 4.5);  // the elements lie in a row
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  for (LONG outside : {-1, 4, INT32_MAX}) {
    double value = 0;
    EXPECT_EQ(SafeArrayGetElement(array, &outside, &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayPutElement(array, &outside, &value), DISP_E_BADINDEX);
  }
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

}  // namespace
