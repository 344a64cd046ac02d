// The fixed-width numbers of every stored text file.
#include "src/files/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ombrixdc {

// Data values: the sign or a space, then printf's "%1.16e" with a three-digit exponent.
TEST(NumberFormat, DataValuesHaveSignSpaceAndThreeDigitExponent) {
  const std::pair<double, const char*> cases[] = {
      // -0.0 compares equal to 0.0 and gets the space; the runtime still prints its sign.
      {-0.0, " -0.0000000000000000e+000"},
      {1e300, " 1.0000000000000001e+300"},
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
      {-1e-9, "-0.000000"}, {1.5e-6, " 0.000002"}, {2.5e-6, " 0.000003"}};
  for (const auto& [value, text] : settings) {
    EXPECT_EQ(FormatSettingValue(value), text) << value;
  }
  EXPECT_EQ(FormatSettingValue(1e300).size(), 1 + 301 + 7u);
  EXPECT_EQ(FormatInteger(-2147483647 - 1), "-2147483648");
}

}  // namespace ombrixdc
