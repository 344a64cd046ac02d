// The map pair: the map file, its header comparison and data blocks, and its circle data file.
#include "src/files/map_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

#include "src/engine/circle_preparation.h"
#include "src/files/circle_data_file.h"
#include "src/files/token_reader.h"
#include "tests/files/golden_files.h"

namespace ombrixdc {
namespace {

// The header of the golden example's run, which matches its own map file.
MapFileHeader LearntHeader() {
  TokenReader reader(ReadGoldenFile("_circle1.rsm"));
  return ReadMapFileHeader(reader).header;
}

MapSlots SomeSlots() {
  MapSlots slots;
  for (std::size_t s = 0; s < kMapSlotCount; ++s) {
    for (int i = 0; i < 5; ++i) {
      slots.slot[s].values.Add(std::sin(i + s) * 1e-3);
      slots.slot[s].angles.Add(1.6 + 0.0625 * i);
    }
  }
  return slots;
}

MapMatchResult Match(const std::string& file, const MapFileHeader& current, bool ignore) {
  TokenReader reader(file);
  return MatchMapFile(reader, current, MatchTolerances{},
                      ignore ? MapComparison::Relaxed : MapComparison::Full);
}

CircleDataResult ReadCircle(const std::string& text) {
  TokenReader reader(text);
  return ReadCircleDataFile(reader);
}

CMaPoint Tilted(double degrees) {
  const double a = degrees * MA_PI / 180.0;
  return {std::sin(a), 0.0, std::cos(a)};
}

TEST(MapFile, GoldenFileIsRewrittenByteForByteFromWhatIsReadBack) {
  const std::string golden = ReadGoldenFile("_circle1.rsm");
  TokenReader headerReader(golden);
  const MapFileHeaderResult header = ReadMapFileHeader(headerReader);
  TokenReader dataReader(golden);
  const MapDataResult data = ReadMapData(dataReader);
  ASSERT_EQ(header.error, ErrorNumber::None);
  ASSERT_EQ(data.error, ErrorNumber::None);
  EXPECT_EQ(WriteMapFile(header.header, data.slots), golden);
}

TEST(MapFile, MatchingFollowsTheToleranceOfEveryValue) {
  // The change to the current feature, whether the map matches fully and when relaxed.
  using Change = std::function<void(MapFileHeader&)>;
  const std::tuple<const char*, Change, bool, bool> cases[] = {
      {"filter number", [](auto& h) { h.filterNumber = 21; }, false, true},
      {"slow speed", [](auto& h) { h.slowSpeed += 1.5; }, false, true},
      {"speeds within 1", [](auto& h) { h.slowSpeed += 0.75, h.fastSpeed -= 1.0; }, true, true},
      {"mode parameter", [](auto& h) { h.modeParameter = 75.0; }, true, true},
      {"radius 0.9 larger", [](auto& h) { h.radius += 0.9; }, true, true},
      {"radius 1.1 larger", [](auto& h) { h.radius += 1.1; }, false, false},
      {"centre 1.0 away", [](auto& h) { h.centre.x() += 1.0; }, true, true},
      {"centre 1.001 away", [](auto& h) { h.centre.z() -= 1.001; }, false, false},
      {"normal 1.0003 deg", [](auto& h) { h.normal = Tilted(1.0003); }, true, true},
      {"normal 1.0006 deg", [](auto& h) { h.normal = Tilted(1.0006); }, false, false},
      {"x-axis 1.5 deg", [](auto& h) { h.xaxis = CMaPoint(1.0, 0.02619, 0.0); }, false, false},
      {"acceleration +5", [](auto& h) { h.acceleration = 205.0; }, true, true},
      {"acceleration +5.5", [](auto& h) { h.acceleration = 205.5; }, false, false},
      {"start angle", [](auto& h) { h.dcStartAngle = 31.5; }, false, false},
      {"buffer pitch", [](auto& h) { h.bufferPitch += 0.0005; }, false, false},
      {"map pitch fine", [](auto& h) { h.mapPitch += 0.0003; }, true, true},
      {"map pitch", [](auto& h) { h.mapPitch += 0.0005; }, false, false},
      {"scan deflection", [](auto& h) { h.scanDeflection += 0.0005; }, false, false},
      {"tip radius fine", [](auto& h) { h.tipRadius -= 0.0003; }, true, true},
      {"tip radius", [](auto& h) { h.tipRadius -= 0.0005; }, false, false},
      {"probe offsets fine", [](auto& h) { h.probeOffsets.z() = 0.0003; }, true, true},
      {"probe offsets", [](auto& h) { h.probeOffsets.y() = 0.0005; }, false, false},
      {"head angle A", [](auto& h) { h.headAngleA = 0.000001; }, false, false},
      {"measuring unit", [](auto& h) { h.measuringUnit = 1; }, false, false},
      {"map method", [](auto& h) { h.dcMapMethod = 2; }, false, false},
      {"filter method", [](auto& h) { h.filterMethod = 2; }, false, false},
      {"boss", [](auto& h) { h.boreOrBoss = 1; }, false, false},
      {"scan direction", [](auto& h) { h.scanDirection = 1; }, false, false},
      {"probe type", [](auto& h) { h.probeType = 2; }, false, false}};
  const std::string file = WriteMapFile(LearntHeader(), SomeSlots());
  for (const auto& [change, apply, full, relaxed] : cases) {
    MapFileHeader current = LearntHeader();
    apply(current);
    EXPECT_EQ(Match(file, current, false).matches, full) << change;
    EXPECT_EQ(Match(file, current, true).matches, relaxed) << change << " relaxed";
  }
}

// A value that is not read when filter and speeds are ignored does not matter, damaged or not.
TEST(MapFile, RelaxedMatchIgnoresADamagedSpeed) {
  std::string fast = WriteMapFile(LearntHeader(), SomeSlots());
  fast.replace(fast.find("FastSpeed:  30.0"), 16, "FastSpeed:  ?0.0");
  EXPECT_TRUE(Match(fast, LearntHeader(), true).matches);
}

// One row per check of a data block: its count unreadable, negative (an empty block), more
// than the rest of the file can hold (never allocated), a bad value, a missing block.
TEST(MapFile, DamagedDataBlocksAreReadErrors) {
  const std::string file = WriteMapFile(LearntHeader(), SomeSlots());
  const auto dcCount = file.find("DataSize:", file.find("\nDcMapData")) + 9;
  const auto dcRow2 =
      file.find("\r\n", file.find("\r\n", file.find("\r\n\r\n", dcCount) + 4) + 2) + 3;
  const auto withText = [&](std::size_t at, std::size_t length, const char* text) {
    return std::string(file).replace(at, length, text);
  };
  // The damaged text, whether it is a read error, the dc map values read.
  const std::tuple<std::string, bool, std::size_t> cases[] = {
      {withText(dcCount, 3, " x"), true, 0},
      {withText(dcCount, 3, " -3"), false, 0},
      {withText(dcCount, 3, " 1000"), true, 0},
      {withText(dcRow2, 1, "#"), true, 5},  // the rows before the bad value are kept
      {file.substr(0, file.find("PremappedDcMapData")), true, 5},
  };
  for (const auto& [text, readError, dcValues] : cases) {
    TokenReader reader(text);
    const MapDataResult r = ReadMapData(reader);
    EXPECT_EQ(r.error != ErrorNumber::None, readError) << text.size();
    EXPECT_EQ(r.slots[MapSlotIndex::DcMapData].values.GetSize(), dcValues) << text.size();
    EXPECT_EQ(r.slots[MapSlotIndex::PreMapData].values.GetSize(), 5u) << text.size();
  }
  TokenReader reader(withText(dcRow2, 1, "#"));
  EXPECT_EQ(ReadMapData(reader).slots[MapSlotIndex::DcMapData].values[1],
            SomeSlots()[MapSlotIndex::DcMapData].values[1]);
}

TEST(CircleDataFile, GoldenFileIsRewrittenByteForByteFromWhatIsReadBack) {
  const std::string golden = ReadGoldenFile("_circle1.rsd");
  const CircleDataResult read = ReadCircle(golden);
  ASSERT_EQ(read.error, ErrorNumber::None);
  ASSERT_EQ(read.data.slow.radii.GetSize(), 100u);
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
  EXPECT_EQ(ReadCircle(centre).error, ErrorNumber::StoredMapUnusable);
  EXPECT_EQ(ReadCircle(text + "\r\nDataSize:  2\r\n 1 2 3\r\n-4-5-6\r\n").error, ErrorNumber::None);
  EXPECT_NE(ReadCircle(text + "\r\nDataSize:  3\r\n 1 2 3\r\n-4-5-6\r\n").error, ErrorNumber::None);
}

}  // namespace
}  // namespace ombrixdc
