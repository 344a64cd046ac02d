// The one formatting module and the one token reader of the fixed-width text files.
#include "src/files/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "src/files/token_reader.h"

namespace ombrixdc {

namespace {

struct DoubleCase {
  double value;
  const char* text;
};

// printf's "%1.16e" with the exponent widened to three digits: an independent oracle.
std::string PrintfData(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%1.16e", value);
  std::string text(buffer);
  const std::size_t e = text.find('e');
  if (text.size() - e == 4) {
    text.insert(e + 2, "0");
  }
  return (value >= 0.0 ? " " : "") + text;
}

}  // namespace

// The edges; ordinary values are compared with printf below.
TEST(NumberFormat, DataValuesHaveSignSpaceAndThreeDigitExponent) {
  const DoubleCase cases[] = {
      {0.0, " 0.0000000000000000e+000"},
      // -0.0 compares equal to 0.0 and gets the space; the runtime still prints its sign.
      {-0.0, " -0.0000000000000000e+000"},
      {-3.25, "-3.2500000000000000e+000"},
      {5e-324, " 4.9406564584124654e-324"},
      {std::numeric_limits<double>::infinity(), " inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
      {std::nan(""), " nan"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatDataValue(c.value), c.text) << c.value;
  }
}

TEST(NumberFormat, DataValuesAgreeWithPrintfOverManyMagnitudes) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-320, 300);
  for (int i = 0; i < 2000; ++i) {
    const double value = mantissa(random) * std::pow(10.0, exponent(random));
    ASSERT_EQ(FormatDataValue(value), PrintfData(value)) << value;
  }
}

TEST(NumberFormat, SettingValuesAndIntegers) {
  const DoubleCase settings[] = {
      {-0.0, " -0.000000"}, {-40.0, "-40.000000"}, {12.3456789, " 12.345679"},
      {-1e-9, "-0.000000"}, {1.5e-6, " 0.000002"}, {2.5e-6, " 0.000003"},
  };
  for (const auto& c : settings) {
    EXPECT_EQ(FormatSettingValue(c.value), c.text) << c.value;
  }
  EXPECT_EQ(FormatSettingValue(1e300).size(), 1 + 301 + 7u);
  EXPECT_EQ(FormatInteger(0), " 0");
  EXPECT_EQ(FormatInteger(-2147483647 - 1), "-2147483648");
}

TEST(TokenReader, ReadsWordsAcrossAnyLineEnds) {
  TokenReader r("Centre:  1\r\n2\n\t3");
  EXPECT_EQ(r.ReadWord(), std::optional<std::string>("Centre:"));
  EXPECT_EQ(r.ReadInt(), 1);
  EXPECT_EQ(r.ReadDouble(), 2.0);
  EXPECT_EQ(r.ReadDouble(), 3.0);
  EXPECT_TRUE(r.AtEnd());
  EXPECT_FALSE(r.ReadWord().has_value());
}

TEST(TokenReader, FindsLabelsWithoutRegardToCase) {
  TokenReader r("MeasuringUnit (0 mm, 1 INCHES): 1 Tail");
  EXPECT_TRUE(r.SkipPast("inches):"));
  EXPECT_EQ(r.ReadInt(), 1);
  EXPECT_FALSE(r.SkipPast("Centre:"));
  EXPECT_FALSE(r.ReadDouble().has_value());  // the scan ran to the end
}

TEST(TokenReader, NumbersEndWhereTheyCannotContinue) {
  TokenReader r("1.5-2.5e+003 12.75 +7 -0 x");
  EXPECT_EQ(r.ReadDouble(), 1.5);
  EXPECT_EQ(r.ReadDouble(), -2500.0);
  EXPECT_EQ(r.ReadInt(), 12);       // "%d" stops at the point ...
  EXPECT_EQ(r.ReadDouble(), 0.75);  // ... and "%lf" takes the rest
  EXPECT_EQ(r.ReadInt(), 7);
  EXPECT_EQ(r.ReadDouble(), 0.0);
  EXPECT_FALSE(r.ReadInt().has_value());
  EXPECT_FALSE(r.ReadDouble().has_value());
  EXPECT_EQ(r.ReadWord(), std::optional<std::string>("x"));
}

TEST(TokenReader, RejectsOutOfRangeIntegersAndDoubleSigns) {
  TokenReader big("99999999999");
  EXPECT_FALSE(big.ReadInt().has_value());
  TokenReader signs("+-1");
  EXPECT_FALSE(signs.ReadDouble().has_value());
}

}  // namespace ombrixdc
