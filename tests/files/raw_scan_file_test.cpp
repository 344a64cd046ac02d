// The raw scan files: one line of three values per point, read back exactly.
#include "src/files/raw_scan_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "src/files/token_reader.h"

namespace ombrixdc {
namespace {

RawScanPoints Read(const std::string& text) {
  TokenReader reader(text);
  return ReadRawScanFile(reader);
}

CMaDoubleArray List(std::vector<double> values) {
  CMaDoubleArray a;
  a.Values() = std::move(values);
  return a;
}

// A line is the three data values of a point, each written as in every stored file (the golden
// files' rewrite holds that layout); a deflection list that came back short gives only the
// complete lines.
TEST(RawScanFile, WritesOneLineOfThreeDataValuesPerPoint) {
  EXPECT_EQ(WriteRawScanFile(List({1, 2, 3}), List({1, 2}), List({1, 2, 3})).size(), 2 * 74u);
}

TEST(RawScanFile, ReadsBackWhatWasWrittenExactly) {
  const CMaDoubleArray x = List({-1.9748187629642019e-004, 6.4800549966830854, 1e-300, -0.0});
  const CMaDoubleArray y = List({6.48, -1e300, 0.1, 2.0 / 3.0});
  const CMaDoubleArray z = List({-4.0000061049100895, 0.0, -1e-9, 7.0});
  const std::string text = WriteRawScanFile(x, y, z);
  for (const std::string& file : {text, std::string(text).erase(text.find('\r'), 1)}) {
    const RawScanPoints p = Read(file);
    EXPECT_EQ(std::tie(p.x.Values(), p.y.Values(), p.z.Values()),
              std::tie(x.Values(), y.Values(), z.Values()));
  }
  EXPECT_TRUE(std::signbit(Read(text).x[3]));
}

TEST(RawScanFile, ReadingStopsAtTheFirstIncompleteOrMalformedLine) {
  EXPECT_EQ(Read("1 2 3\r\n4 5 6\n7 8\r\n").x.GetSize(), 2u);
  EXPECT_EQ(Read("1 2 3\r\n4 5 x\r\n7 8 9\r\n").x.GetSize(), 1u);
  EXPECT_EQ(Read("\r\n\r\n").x.GetSize(), 0u);
}

}  // namespace
}  // namespace ombrixdc
