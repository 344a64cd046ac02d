#include "src/files/circle_data_file.h"

#include <gtest/gtest.h>

#include <cmath>

#include "src/engine/circle_preparation.h"
#include "tests/files/golden_files.h"

namespace ombrixdc {

namespace {

CircleDataResult Read(const std::string& text) {
  TokenReader reader(text);
  return ReadCircleDataFile(reader);
}

}  // namespace

TEST(CircleDataFile, GoldenFileIsRewrittenByteForByteFromWhatIsReadBack) {
  const std::string golden = ReadGoldenFile("_circle1.rsd");
  ASSERT_FALSE(golden.empty());
  const CircleDataResult read = Read(golden);
  ASSERT_FALSE(read.readError);
  ASSERT_EQ(read.data.slow.radii.GetSize(), 100u);
  ASSERT_EQ(read.data.slowMap.radii.GetSize(), 100u);
  // The file holds the Slow set's own centre in machine coordinates; the slow scan's centre
  // it was written with is that less the set's fitted offset.
  CircleData again = read.data;
  again.slowCentre =
      read.data.slowCentre - FitProfileCircle(read.data.slow.radii, read.data.slow.angles).centre;
  EXPECT_EQ(WriteCircleDataFile(again), golden);
}

// The data blocks' own checks are those of the map file; here the centre and a further block.
// (The golden file's rewrite is the round trip: every digit of its data and centres.)
TEST(CircleDataFile, DamagedCentreOrFurtherBlockIsAReadError) {
  const std::string text = ReadGoldenFile("_circle1.rsd");
  std::string centre = text;
  centre.replace(centre.find("Centre:") + 8, 1, "?");
  EXPECT_TRUE(Read(centre).readError);
  EXPECT_FALSE(Read(text + "\r\nDataSize:  2\r\n 1 2 3\r\n-4-5-6\r\n").readError);
  EXPECT_TRUE(Read(text + "\r\nDataSize:  3\r\n 1 2 3\r\n-4-5-6\r\n").readError);
}

}  // namespace ombrixdc
