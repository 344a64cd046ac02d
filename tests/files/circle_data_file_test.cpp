#include "src/files/circle_data_file.h"

#include <gtest/gtest.h>

#include <cmath>

#include "src/engine/circle_preparation.h"
#include "tests/files/golden_files.h"

namespace ombrixdc {

namespace {

// A slightly oval profile about the slow scan's centre, on a grid of 0.0625 rad.
CircleData OvalData(const CMaPoint& slowCentre) {
  CircleData d;
  d.slowCentre = slowCentre;
  for (int i = 0; i < 100; ++i) {
    const double angle = 1.6332963267948966 + 0.0625 * i;
    d.slow.angles.Add(angle);
    d.slow.radii.Add(8.0 + 0.002 * std::cos(2.0 * angle) + 1e-4 * std::sin(angle));
    d.slowMap.angles.Add(angle);
    d.slowMap.radii.Add(8.0 - 1.2345678901234567e-8);
  }
  return d;
}

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

  const CircleDataResult lf = Read(WithLfLineEnds(golden));
  EXPECT_FALSE(lf.readError);
  EXPECT_EQ(lf.data.slowMap.radii.Values(), read.data.slowMap.radii.Values());
}

TEST(CircleDataFile, RoundTripKeepsDataSetsExactlyAndCentresInMachineCoordinates) {
  const CircleData written = OvalData(CMaPoint(250.0, 120.0, -40.0));
  const std::string text = WriteCircleDataFile(written);
  const CircleDataResult r = Read(text);
  EXPECT_FALSE(r.readError);
  EXPECT_EQ(r.data.slow.angles.Values(), written.slow.angles.Values());
  EXPECT_EQ(r.data.slowMap.radii.Values(), written.slowMap.radii.Values());
  // The restored centre is the Slow set's own circle, to six decimals.
  const ProfileCircle own = FitProfileCircle(written.slow.radii, written.slow.angles);
  const CMaPoint expected = own.centre + written.slowCentre;
  EXPECT_TRUE(r.data.slowCentre.IsEqual(expected, 1e-6));  // six decimals
  EXPECT_GT(own.centreOffset, 1e-5);                       // the offset is really there to be added
  // The premapped block's centre is near the slow scan's centre too, not near zero.
  const std::size_t second = text.find("Centre:", text.find("Premapped"));
  EXPECT_EQ(text.substr(second, 22), "Centre:  250.000000   ");
  EXPECT_NE(text.find("Form:  0.004"), std::string::npos);  // the oval's 2 x 0.002
}

// The data blocks' own checks are those of the map file; here the centre and a further block.
TEST(CircleDataFile, DamagedCentreOrFurtherBlockIsAReadError) {
  const std::string text = WriteCircleDataFile(OvalData(CMaPoint(0, 0, 0)));
  std::string centre = text;
  centre.replace(centre.find("Centre:") + 8, 1, "?");
  EXPECT_TRUE(Read(centre).readError);
  EXPECT_FALSE(Read(text + "\r\nDataSize:  2\r\n 1 2 3\r\n-4-5-6\r\n").readError);
  EXPECT_TRUE(Read(text + "\r\nDataSize:  3\r\n 1 2 3\r\n-4-5-6\r\n").readError);
}

}  // namespace ombrixdc
