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

HRESULT Change(const VARIANT& source, VARTYPE vt, ComVariant* out) {
  return VariantChangeType(out, &source, 0, vt);
}

TEST(Variant, LayoutMatchesThe64BitPlatform) {
  EXPECT_EQ(sizeof(VARIANT), 24u);
  EXPECT_EQ(offsetof(VARIANT, dblVal), 8u);
  EXPECT_EQ(offsetof(VARIANT, bstrVal), 8u);
  EXPECT_EQ(VT_BYREF | VT_ARRAY | VT_R8, 0x6005);
}

TEST(Variant, ClearFreesWhatTheValueOwns) {
  bool destroyed = false;
  ComVariant v;
  v.vt = VT_UNKNOWN;
  v.punkVal = static_cast<ITestWidget*>(MakeComObject<TestWidget>(1, &destroyed).Detach());
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(v.vt, VT_EMPTY);

  v.vt = VT_ARRAY | VT_R8;
  v.parray = SafeArrayCreateVector(VT_R8, 0, 3);
  EXPECT_EQ(VariantClear(&v), S_OK);  // the sanitizer build would report a leak otherwise

  v.vt = 0x0FFF;  // no such type
  EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
  v.vt = VT_EMPTY;
}

TEST(Variant, CopyDuplicatesStringsAndArraysAndSharesInterfaces) {
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
  double read = 0;
  SafeArrayGetElement(copy.parray, &index, &read);
  EXPECT_EQ(read, 2.5);

  bool destroyed = false;
  ComVariant object;
  object.vt = VT_UNKNOWN;
  object.punkVal = static_cast<ITestWidget*>(MakeComObject<TestWidget>(1, &destroyed).Detach());
  ASSERT_EQ(VariantCopy(&copy, &object), S_OK);
  VariantClear(&object);
  EXPECT_FALSE(destroyed);  // the copy holds its own reference
  VariantClear(&copy);
  EXPECT_TRUE(destroyed);
}

struct NumberCase {
  double input;
  VARTYPE target;
  HRESULT expected;
  LONGLONG value;
};

TEST(Variant, NumbersRoundHalfToEvenAndCheckTheirRange) {
  const NumberCase cases[] = {
      {2.5, VT_I4, S_OK, 2},
      {3.5, VT_I4, S_OK, 4},
      {-2.5, VT_I4, S_OK, -2},
      {2.4999, VT_I4, S_OK, 2},
      {2147483647.4, VT_I4, S_OK, 2147483647},
      {2147483647.6, VT_I4, DISP_E_OVERFLOW, 0},
      {-2147483648.0, VT_I4, S_OK, -2147483647 - 1},
      {3e9, VT_I4, DISP_E_OVERFLOW, 0},
      {NAN, VT_I4, DISP_E_OVERFLOW, 0},
      {255.0, VT_UI1, S_OK, 255},
      {-1.0, VT_UI1, DISP_E_OVERFLOW, 0},
      {40000.0, VT_I2, DISP_E_OVERFLOW, 0},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE(c.input);
    ComVariant source, out;
    source.vt = VT_R8;
    source.dblVal = c.input;
    ASSERT_EQ(Change(source, c.target, &out), c.expected);
    if (c.expected != S_OK) {
      EXPECT_EQ(out.vt, VT_EMPTY);  // a failed conversion leaves the destination alone
      continue;
    }
    EXPECT_EQ(out.vt, c.target);
    const LONGLONG got = c.target == VT_I4 ? out.lVal : c.target == VT_I2 ? out.iVal : out.bVal;
    EXPECT_EQ(got, c.value);
  }
}

TEST(Variant, TextConvertsToNumbersWhateverTheProcessLocale) {
  // A host may have set a locale that writes decimal commas; the conversions must not care.
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  ComVariant text, out;
  EXPECT_EQ(Change(*Text(&text, " 12.5 "), VT_R8, &out), S_OK);
  EXPECT_EQ(out.dblVal, 12.5);
  EXPECT_EQ(Change(*Text(&text, "-1e-3"), VT_R8, &out), S_OK);
  EXPECT_EQ(out.dblVal, -0.001);
  EXPECT_EQ(Change(*Text(&text, "+42"), VT_I4, &out), S_OK);
  EXPECT_EQ(out.lVal, 42);
  EXPECT_EQ(Change(*Text(&text, "2.5"), VT_I4, &out), S_OK);
  EXPECT_EQ(out.lVal, 2);
  for (const char* bad : {"", "abc", "12,5", "1.5x", "0x10"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(Change(*Text(&text, bad), VT_R8, &out), DISP_E_TYPEMISMATCH);
  }
  EXPECT_EQ(Change(*Text(&text, "1e10"), VT_I4, &out), DISP_E_OVERFLOW);
  // Beyond the range of a double: overflow for every target, never a silent 0; too small to
  // tell from 0 reads as 0, a subnormal as itself.
  for (VARTYPE target : {VT_R8, VT_R4, VT_I4, VT_BOOL}) {
    EXPECT_EQ(Change(*Text(&text, "-1e400"), target, &out), DISP_E_OVERFLOW) << target;
  }
  EXPECT_EQ(Change(*Text(&text, "1e-400"), VT_R8, &out), S_OK);
  EXPECT_EQ(out.dblVal, 0.0);
  EXPECT_EQ(Change(*Text(&text, "4e-320"), VT_R8, &out), S_OK);
  EXPECT_EQ(out.dblVal, 4e-320);
  std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(Variant, NumbersBecomeTextThatReadsBackTheSame) {
  for (double value : {0.1, -3.25, 1e20, 123456789.0, 1.0 / 3.0}) {
    SCOPED_TRACE(value);
    ComVariant source, text, back;
    source.vt = VT_R8;
    source.dblVal = value;
    ASSERT_EQ(Change(source, VT_BSTR, &text), S_OK);
    ASSERT_EQ(Change(text, VT_R8, &back), S_OK);
    EXPECT_EQ(back.dblVal, value);
  }
  ComVariant integer, text;
  integer.vt = VT_I4;
  integer.lVal = -17;
  ASSERT_EQ(Change(integer, VT_BSTR, &text), S_OK);
  EXPECT_EQ(Utf8FromBstr(text.bstrVal), "-17");
}

TEST(Variant, NullErrorAndObjectsDoNotBecomeNumbers) {
  ComVariant null, error, object, out;
  null.vt = VT_NULL;
  error.vt = VT_ERROR;
  error.scode = DISP_E_PARAMNOTFOUND;
  object.vt = VT_UNKNOWN;
  object.punkVal = static_cast<ITestWidget*>(MakeComObject<TestWidget>().Detach());
  for (const VARIANT* source : {static_cast<VARIANT*>(&null), static_cast<VARIANT*>(&error),
                                static_cast<VARIANT*>(&object)}) {
    EXPECT_EQ(Change(*source, VT_I4, &out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Change(*source, VT_BSTR, &out), DISP_E_TYPEMISMATCH);
  }
  // Empty is zero, or the empty (not absent) text.
  ComVariant empty;
  ASSERT_EQ(Change(empty, VT_R8, &out), S_OK);
  EXPECT_EQ(out.dblVal, 0.0);
  ASSERT_EQ(Change(empty, VT_BSTR, &out), S_OK);
  ASSERT_NE(out.bstrVal, nullptr);
  EXPECT_EQ(SysStringLen(out.bstrVal), 0u);
}

}  // namespace
