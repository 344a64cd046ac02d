// The one formatting module and the one token reader of the fixed-width text files.
#include "src/files/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "src/files/token_reader.h"

namespace ombrixdc {

// Data values: the sign or a space, then printf's "%1.16e" with a three-digit exponent.
TEST(NumberFormat, DataValuesHaveSignSpaceAndThreeDigitExponent) {
  const std::pair<double, const char*> cases[] = {
      {0.0, " 0.0000000000000000e+000"},
      // -0.0 compares equal to 0.0 and gets the space; the runtime still prints its sign.
      {-0.0, " -0.0000000000000000e+000"},
      {-3.25, "-3.2500000000000000e+000"},
      {123456.789, " 1.2345678900000000e+005"},
      {-2.5e-100, "-2.5000000000000000e-100"},
      {1e300, " 1.0000000000000001e+300"},
      {5e-324, " 4.9406564584124654e-324"},
      {std::numeric_limits<double>::infinity(), " inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
      {std::nan(""), " nan"},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(FormatDataValue(value), text) << value;
  }
}

TEST(NumberFormat, SettingValuesAndIntegers) {
  const std::pair<double, const char*> settings[] = {
      {-0.0, " -0.000000"}, {-40.0, "-40.000000"}, {12.3456789, " 12.345679"},
      {-1e-9, "-0.000000"}, {1.5e-6, " 0.000002"}, {2.5e-6, " 0.000003"},
  };
  for (const auto& [value, text] : settings) {
    EXPECT_EQ(FormatSettingValue(value), text) << value;
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
