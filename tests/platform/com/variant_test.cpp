// Variants and safe arrays.
#include "platform/com/variant.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "platform/com/bstr.h"
#include "platform/com/safearray.h"
#include "tests/platform/com/test_widget.h"
#include "tests/support/variant_values.h"

namespace {

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

  bool destroyed = false;
  static_cast<VARIANT&>(object) = Unknown(NewWidget(&destroyed));
  ASSERT_EQ(VariantCopy(&copy, &object), S_OK);
  EXPECT_EQ(VariantClear(&object), S_OK);
  EXPECT_FALSE(destroyed);  // the copy holds its own reference
  EXPECT_EQ(VariantClear(&copy), S_OK);
  EXPECT_TRUE(destroyed);
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
      {nullptr, NAN, VT_I4, DISP_E_OVERFLOW, 0},
      {nullptr, 255.0, VT_UI1, S_OK, 255},
      {" 12.5 ", 0, VT_R8, S_OK, 12.5},
      {"+42", 0, VT_I4, S_OK, 42},
      {"4e-320", 0, VT_R8, S_OK, 4e-320},  // a subnormal reads as itself
      {"1e-400", 0, VT_R8, S_OK, 0.0},     // too small to tell from 0
      {"12,5", 0, VT_R8, DISP_E_TYPEMISMATCH, 0},
      {"0x10", 0, VT_R8, DISP_E_TYPEMISMATCH, 0},
      {"-1e400", 0, VT_R8, DISP_E_OVERFLOW, 0},  // never a silent 0 beyond a double's range
      {"-1e400", 0, VT_BOOL, DISP_E_OVERFLOW, 0},
      {"probe", 0, VT_EMPTY, S_OK, 0},  // anything can be emptied
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
  ComVariant back, text, wide;
  const VARIANT third = Real(1.0 / 3.0);
  ASSERT_EQ(VariantChangeType(&text, &third, 0, VT_BSTR), S_OK);
  ASSERT_EQ(VariantChangeType(&back, &text, 0, VT_R8), S_OK);
  EXPECT_EQ(back.dblVal, 1.0 / 3.0);
  unsigned char byte = 200;
  const VARIANT byRef = Ref(VT_UI1, &byte);
  ASSERT_EQ(VariantChangeType(&wide, &byRef, 0, VT_I4), S_OK);
  EXPECT_EQ(wide.lVal, 200);
  // The largest signed 64-bit value held unsigned converts exactly, not through a double.
  VARIANT largest;
  largest.vt = VT_UI8;
  largest.ullVal = INT64_MAX;
  ComVariant exact;
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
