#include "platform/com/variant.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstddef>
#include <string>

#include "platform/com/safearray.h"
#include "tests/platform/com/test_objects.h"

namespace {

ComVariant* Text(ComVariant* v, std::string_view utf8) {
  VariantClear(v);
  v->vt = VT_BSTR;
  v->bstrVal = BstrFromUtf8(utf8);
  return v;
}

VARIANT Number(double value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R8;
  v.dblVal = value;
  return v;
}

HRESULT Change(const VARIANT& source, VARTYPE vt, ComVariant* out) {
  return VariantChangeType(out, &source, 0, vt);
}

TEST(Variant, LayoutMatchesThe64BitPlatform) {
  EXPECT_EQ(sizeof(VARIANT), 24u);
  EXPECT_EQ(offsetof(VARIANT, dblVal), 8u);
  EXPECT_EQ(offsetof(VARIANT, bstrVal), 8u);
}

TEST(Variant, CopyDuplicatesStringsAndArraysSharesInterfacesAndClearFreesThem) {
  ComVariant text, copy;
  Text(&text, "probe");
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  EXPECT_NE(copy.bstrVal, text.bstrVal);
  EXPECT_EQ(Utf8FromBstr(copy.bstrVal), "probe");

  ComVariant array;
  array.vt = VT_ARRAY | VT_R8;
  array.parray = SafeArrayCreateVector(VT_R8, 0, 2);
  LONG index = 1;
  double value = 2.5;
  SafeArrayPutElement(array.parray, &index, &value);
  ASSERT_EQ(VariantCopy(&copy, &array), S_OK);  // replaces the string, freeing it
  ASSERT_NE(copy.parray, array.parray);
  SafeArrayGetElement(copy.parray, &index, &value);
  EXPECT_EQ(value, 2.5);

  bool destroyed = false;
  ComVariant object;
  object.vt = VT_UNKNOWN;
  object.punkVal = NewWidget(1, &destroyed);
  ASSERT_EQ(VariantCopy(&copy, &object), S_OK);
  EXPECT_EQ(VariantClear(&object), S_OK);
  EXPECT_FALSE(destroyed);  // the copy holds its own reference
  EXPECT_EQ(VariantClear(&copy), S_OK);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(copy.vt, VT_EMPTY);
  copy.vt = 0x0FFF;  // no such type
  EXPECT_EQ(VariantClear(&copy), DISP_E_BADVARTYPE);
  copy.vt = VT_EMPTY;
}

TEST(Variant, NumbersRoundHalfToEvenAndCheckTheirRange) {
  const struct {
    double input;
    VARTYPE target;
    HRESULT expected;
    LONGLONG value;
  } cases[] = {
      {2.5, VT_I4, S_OK, 2},
      {-3.5, VT_I4, S_OK, -4},
      {2147483647.6, VT_I4, DISP_E_OVERFLOW, 0},
      {-2147483648.0, VT_I4, S_OK, -2147483647 - 1},
      {NAN, VT_I4, DISP_E_OVERFLOW, 0},
      {255.0, VT_UI1, S_OK, 255},
      {40000.0, VT_I2, DISP_E_OVERFLOW, 0},  // a failure leaves the destination empty
  };
  for (const auto& c : cases) {
    ComVariant out;
    ASSERT_EQ(Change(Number(c.input), c.target, &out), c.expected) << c.input;
    EXPECT_EQ(out.vt, c.expected == S_OK ? c.target : VARTYPE{VT_EMPTY}) << c.input;
    if (c.expected == S_OK) {
      EXPECT_EQ(c.target == VT_I4 ? out.lVal : out.bVal, c.value) << c.input;
    }
  }
}

// A host may have set a locale that writes decimal commas; the conversions must not care.
TEST(Variant, TextConvertsToNumbersWhateverTheProcessLocale) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  const struct {
    const char* text;
    VARTYPE target;
    HRESULT expected;
    double value;
  } cases[] = {
      {" 12.5 ", VT_R8, S_OK, 12.5},
      {"+42", VT_I4, S_OK, 42},
      {"2.5", VT_I4, S_OK, 2},
      {"4e-320", VT_R8, S_OK, 4e-320},  // a subnormal reads as itself
      {"1e-400", VT_R8, S_OK, 0.0},     // too small to tell from 0
      {"12,5", VT_R8, DISP_E_TYPEMISMATCH, 0},
      {"0x10", VT_R8, DISP_E_TYPEMISMATCH, 0},
      {"1e10", VT_I4, DISP_E_OVERFLOW, 0},
      {"-1e400", VT_R8, DISP_E_OVERFLOW, 0},  // never a silent 0 beyond a double's range
      {"-1e400", VT_BOOL, DISP_E_OVERFLOW, 0},
  };
  for (const auto& c : cases) {
    ComVariant text, out;
    ASSERT_EQ(Change(*Text(&text, c.text), c.target, &out), c.expected) << c.text;
    if (c.expected == S_OK) {
      EXPECT_EQ(c.target == VT_I4 ? out.lVal : out.dblVal, c.value) << c.text;
    }
  }
  std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(Variant, NumbersBecomeTextThatReadsBackTheSame) {
  for (double value : {0.1, 1.0 / 3.0}) {
    ComVariant text, back;
    ASSERT_EQ(Change(Number(value), VT_BSTR, &text), S_OK);
    ASSERT_EQ(Change(text, VT_R8, &back), S_OK);
    EXPECT_EQ(back.dblVal, value);
  }
  ComVariant integer, text;
  integer.vt = VT_I4;
  integer.lVal = -17;
  ASSERT_EQ(Change(integer, VT_BSTR, &text), S_OK);
  EXPECT_EQ(Utf8FromBstr(text.bstrVal), "-17");
}

TEST(Variant, NullErrorAndObjectsDoNotBecomeNumbersButEmptyIsZero) {
  ComVariant sources[3], out;
  sources[0].vt = VT_NULL;
  sources[1].vt = VT_ERROR;
  sources[1].scode = DISP_E_PARAMNOTFOUND;
  sources[2].vt = VT_UNKNOWN;
  sources[2].punkVal = NewWidget();
  for (const ComVariant& source : sources) {
    EXPECT_EQ(Change(source, VT_I4, &out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Change(source, VT_BSTR, &out), DISP_E_TYPEMISMATCH);
  }
  ComVariant empty;
  ASSERT_EQ(Change(empty, VT_R8, &out), S_OK);
  EXPECT_EQ(out.dblVal, 0.0);
  ASSERT_EQ(Change(empty, VT_BSTR, &out), S_OK);
  ASSERT_NE(out.bstrVal, nullptr);  // the empty, not the absent, text
  EXPECT_EQ(SysStringLen(out.bstrVal), 0u);
}

}  // namespace
