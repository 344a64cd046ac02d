#include "src/files/token_reader.h"

#include <gtest/gtest.h>

namespace ombrixdc {

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
