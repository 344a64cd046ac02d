// The stored files: the map pair (the map file and its circle data file), the data sets file,
// the raw scan and system settings files, the one formatting module and token reader they share,
// and the atomic writes that replace them.
#include "src/files/map_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <optional>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/text/ascii.h"
#include "src/engine/circle_preparation.h"
#include "src/files/circle_data_file.h"
#include "src/files/data_sets_file.h"
#include "src/files/file_output.h"
#include "src/files/number_format.h"
#include "src/files/raw_scan_file.h"
#include "src/files/system_settings_file.h"
#include "src/files/token_reader.h"
#include "tests/files/golden_files.h"
#include "tests/support/temp_folder.h"

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
  ASSERT_FALSE(golden.empty());
  TokenReader headerReader(golden);
  const MapFileHeaderResult header = ReadMapFileHeader(headerReader);
  TokenReader dataReader(golden);
  const MapDataResult data = ReadMapData(dataReader);
  ASSERT_FALSE(header.readError);
  ASSERT_FALSE(data.readError);
  EXPECT_EQ(data.slots.slot[2].values.GetSize(), 100u);
  EXPECT_EQ(WriteMapFile(header.header, data.slots), golden);

  EXPECT_TRUE(Match(golden, LearntHeader(), false).matches);
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

TEST(MapFile, DamagedHeaderOfTheFeaturesMapIsAReadError) {
  // A tip radius that cannot be read counts as 0.0, which is what this feature has: every
  // comparison passes, and the file is the feature's map but damaged.
  MapFileHeader zeroTip = LearntHeader();
  zeroTip.tipRadius = 0.0;
  std::string file = WriteMapFile(zeroTip, SomeSlots());
  file.replace(file.find("TipRadius:  0.0"), 15, "TipRadius:  ?.0");
  const MapMatchResult r = Match(file, zeroTip, false);
  EXPECT_FALSE(r.matches);
  EXPECT_TRUE(r.readError);

  // A damaged value that then differs is a file of another feature: no error.
  std::string fast = WriteMapFile(LearntHeader(), SomeSlots());
  fast.replace(fast.find("FastSpeed:  30.0"), 16, "FastSpeed:  ?0.0");
  EXPECT_EQ(Match(fast, LearntHeader(), false).readError, false);
  EXPECT_FALSE(Match(fast, LearntHeader(), false).matches);
  // ... and one that is not read when filter and speeds are ignored does not matter.
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
    EXPECT_EQ(r.readError, readError) << text.size();
    EXPECT_EQ(r.slots[MapSlotIndex::DcMapData].values.GetSize(), dcValues) << text.size();
    EXPECT_EQ(r.slots[MapSlotIndex::PreMapData].values.GetSize(), 5u) << text.size();
  }
  TokenReader reader(withText(dcRow2, 1, "#"));
  EXPECT_EQ(ReadMapData(reader).slots[MapSlotIndex::DcMapData].values[1],
            SomeSlots()[MapSlotIndex::DcMapData].values[1]);
}

TEST(CircleDataFile, GoldenFileIsRewrittenByteForByteFromWhatIsReadBack) {
  const std::string golden = ReadGoldenFile("_circle1.rsd");
  ASSERT_FALSE(golden.empty());
  TokenReader reader(golden);
  const CircleDataResult read = ReadCircleDataFile(reader);
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
  EXPECT_TRUE(ReadCircle(centre).readError);
  EXPECT_FALSE(ReadCircle(text + "\r\nDataSize:  2\r\n 1 2 3\r\n-4-5-6\r\n").readError);
  EXPECT_TRUE(ReadCircle(text + "\r\nDataSize:  3\r\n 1 2 3\r\n-4-5-6\r\n").readError);
}

int FileCount(const std::filesystem::path& folder) {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(FileOutput, WritesBytesUnchangedAndReplacesTheFile) {
  TempFolder folder;
  const auto path = folder.Write("ScanSlow.dat", "old content that is longer");
  EXPECT_TRUE(WriteTextFile(path, "a\r\nb\n"));
  EXPECT_EQ(FileText(path), "a\r\nb\n");
  EXPECT_FALSE(WriteTextFile(folder.Path() / "missing" / "x.dat", "a"));
}

TEST(FileOutput, AtomicWriteLeavesOnlyTheNewFile) {
  TempFolder folder;
  const auto path = folder.Write("_circle1.rsm", "old map");
  EXPECT_TRUE(WriteTextFileAtomically(path, "new map\r\n"));
  EXPECT_EQ(FileText(path), "new map\r\n");
  EXPECT_EQ(FileCount(folder.Path()), 1);

  // A target that cannot be replaced: the write fails and leaves nothing behind.
  std::filesystem::create_directory(folder.Path() / "_circle2.rsm");
  std::filesystem::create_directory(folder.Path() / "_circle2.rsm" / "inside");
  EXPECT_FALSE(WriteTextFileAtomically(folder.Path() / "_circle2.rsm", "map"));
  EXPECT_EQ(FileCount(folder.Path()), 2);
}

TEST(FileOutput, MapPairIsReplacedOnlyWhenBothFilesAreWritten) {
  TempFolder folder;
  const auto map = folder.Write("_circle1.rsm", "old map");
  const auto data = folder.Write("_circle1.rsd", "old data");
  EXPECT_TRUE(WriteMapFilePairAtomically(map, "new map", data, "new data"));
  EXPECT_EQ(FileText(map), "new map");
  EXPECT_EQ(FileText(data), "new data");
  EXPECT_EQ(FileCount(folder.Path()), 2);

  // The circle data file cannot be written: the old pair stays as it was.
  EXPECT_FALSE(WriteMapFilePairAtomically(map, "newer map", folder.Path() / "no" / "x.rsd", "d"));
  EXPECT_EQ(FileText(map), "new map");
  EXPECT_EQ(FileCount(folder.Path()), 2);
}

// A folder under a pair's name is never replaced or removed; the old pair stays.
TEST(FileOutput, MapPairIsNotWrittenOverAFolder) {
  for (const char* folderName : {"_circle1.rsm", "_circle1.rsd"}) {
    TempFolder folder;
    const auto map = folder.Path() / "_circle1.rsm";
    const auto data = folder.Path() / "_circle1.rsd";
    std::filesystem::create_directory(folder.Path() / folderName);
    const std::string other =
        folderName == std::string("_circle1.rsm") ? "_circle1.rsd" : "_circle1.rsm";
    folder.Write(other, "old");
    EXPECT_FALSE(WriteMapFilePairAtomically(map, "new map", data, "new data")) << folderName;
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / folderName));
    EXPECT_EQ(FileText(folder.Path() / other), "old");
    EXPECT_EQ(FileCount(folder.Path()), 2);
  }
}

// Writers of one file, threads of one process here, each write their own temporary: every
// write succeeds and the file is always one writer's whole text.
TEST(FileOutput, ConcurrentAtomicWritesNeverShareATemporary) {
  TempFolder folder;
  const auto path = folder.Path() / "results.dat";
  const std::string texts[2] = {std::string(20000, 'a'), std::string(30000, 'b')};
  std::atomic<int> failures{0};
  std::vector<std::thread> writers;
  for (const std::string& text : texts) {
    writers.emplace_back([&] {
      for (int i = 0; i < 50; ++i) {
        failures += WriteTextFileAtomically(path, text) ? 0 : 1;
        const std::string now = FileText(path);
        failures += now == texts[0] || now == texts[1] ? 0 : 1;
      }
    });
  }
  for (std::thread& writer : writers) {
    writer.join();
  }
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(FileCount(folder.Path()), 1);
}

TEST(FileOutput, TemporaryTargetNamesTheFileATemporaryWasFor) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"_circle1.rsm.4711.0.tmp", "_circle1.rsm"},
      {"_circle12.RSD.1.22.TMP", "_circle12.RSD"},
      {"_circle1.rsm.tmp", "_circle1.rsm"},  // as earlier versions named them
      {"results.dat.9.1.tmp", "results.dat"},
      {"a.b.tmp", "a.b"},
      {"_circle1.rsm", std::nullopt},
      {".tmp", std::nullopt},
  };
  for (const auto& [name, target] : cases) {
    EXPECT_EQ(TemporaryTarget(name), target) << name;
  }
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));  // after the last line end: empty in a sound file
  return lines;
}

bool IsPointLine(const std::string& line) {
  return line.size() > 2 && (line[0] == ' ' || line[0] == '-') && std::isdigit(line[1]) &&
         line.find('e') != std::string::npos;
}

// The byte layout of a point line: where the signs, spaces, points and exponents stand.
std::string Shape(const std::string& line) {
  std::string shape = line;
  for (char& c : shape) {
    c = std::isdigit(static_cast<unsigned char>(c)) ? '9' : c;
  }
  return shape;
}

// A data set that ProfileToPoints turns into the given points about the origin.
DataSet FromPoints(const std::vector<CMaPoint>& points) {
  DataSet set;
  for (const CMaPoint& p : points) {
    set.radii.Add(std::hypot(p.x(), p.y()));
    set.angles.Add(std::atan2(p.y(), p.x()));
  }
  return set;
}

DataSetsFileContent SomeContent() {
  DataSetsFileContent c;
  c.header.radius = 8.0;
  c.headerInfo[0] = "Example";
  for (DataSet& set : c.dataSets) {
    for (int i = 0; i < 12; ++i) {
      set.radii.Add(8.0 + 1e-4 * std::cos(3.0 * i));
      set.angles.Add(1.6 + 2.0 * MA_PI * i / 12);
    }
  }
  return c;
}

TEST(DataSetsFile, GoldenFileLayoutIsReproducedFromItsOwnPoints) {
  const std::string golden = ReadGoldenFile("results.dat");
  ASSERT_FALSE(golden.empty());
  DataSetsFileContent content;
  TokenReader mapReader(ReadGoldenFile("_circle1.rsm"));
  content.header = ReadMapFileHeader(mapReader).header;  // the same run's values
  content.headerInfo[0] = "Example";
  TokenReader reader(golden);
  for (DataSet& set : content.dataSets) {
    ASSERT_TRUE(reader.SkipPast("Data:"));
    std::vector<CMaPoint> points;
    while (auto x = reader.ReadDouble()) {
      const double y = *reader.ReadDouble();
      points.emplace_back(*x, y, *reader.ReadDouble());
    }
    ASSERT_EQ(points.size(), 100u);
    set = FromPoints(points);
  }

  const DataSetsFileText written = WriteDataSetsFile(content);
  EXPECT_EQ(written.error, ErrorNumber::None);
  const std::vector<std::string> expected = Lines(golden);
  const std::vector<std::string> actual = Lines(written.text);
  ASSERT_EQ(actual.size(), expected.size());
  int pointLines = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (!IsPointLine(expected[i])) {
      EXPECT_EQ(actual[i], expected[i]) << "line " << i + 1;
      continue;
    }
    ++pointLines;
    EXPECT_EQ(Shape(actual[i]), Shape(expected[i])) << "line " << i + 1;
    TokenReader a(actual[i]), e(expected[i]);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(*a.ReadDouble(), *e.ReadDouble(), 1e-13) << "line " << i + 1;
    }
  }
  EXPECT_EQ(pointLines, 600);
}

TEST(DataSetsFile, EmptyDataSetsStopTheFileWithError7) {
  DataSetsFileContent c = SomeContent();
  c.dataSets[2] = {};  // Corrected
  const DataSetsFileText partial = WriteDataSetsFile(c);
  EXPECT_EQ(partial.error, ErrorNumber::NoData);
  EXPECT_NE(partial.text.find("Metrology Fast Scan Data"), std::string::npos);
  EXPECT_EQ(partial.text.find("Corrected"), partial.text.find("Corrected] Scan Data"));
  const std::size_t lastPoint = partial.text.rfind("e+");
  EXPECT_EQ(partial.text.substr(partial.text.find("\r\n", lastPoint)), "\r\n\r\n\r\n");

  c.dataSets[0] = {};
  EXPECT_TRUE(WriteDataSetsFile(c).text.empty());
}

TEST(DataSetsFile, PathTakesOnlyABareFileName) {
  const std::filesystem::path run = "/runs/Default";
  // The name and its path, if any.
  const std::pair<const char*, const char*> cases[] = {{"results", "/runs/Default/results.dat"},
                                                       {"r.e.s", "/runs/Default/r.e.s"},
                                                       {"..\\results", ""},
                                                       {"sub/results", ""},
                                                       {"", ""},
                                                       {"..", ""}};
  for (const auto& [name, path] : cases) {
    const DataSetsFilePathResult r = DataSetsFilePath(run, name);
    EXPECT_EQ(r.error, *path ? ErrorNumber::None : ErrorNumber::StoredMapUnusable) << name;
    EXPECT_EQ(r.path, std::filesystem::path(path)) << name;
  }
  EXPECT_EQ(DataSetsFilePath(run, std::string_view("a\0b", 3)).error,
            ErrorNumber::StoredMapUnusable);
}

// The one formatting module and the one token reader of the fixed-width text files, and the
// raw scan and system settings files built on them.
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
      {-1e-9, "-0.000000"}, {1.5e-6, " 0.000002"}, {2.5e-6, " 0.000003"}};
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

// No stored file holds an infinity or a NaN: each is a damaged number, in every stored file.
TEST(TokenReader, InfinityAndNanAreDamage) {
  for (const char* word : {"nan", "-nan", "NaN", "inf", "-Infinity", "1e400"}) {
    TokenReader r(word);
    EXPECT_FALSE(r.ReadDouble().has_value()) << word;
    EXPECT_EQ(r.ReadWord(), std::optional<std::string>(word));  // nothing was taken
  }
  const std::string map = WriteMapFile(LearntHeader(), SomeSlots());
  const std::string rows = "\r\n\r\n";
  std::string nanValue = map;
  nanValue.replace(nanValue.find(rows, nanValue.find("\nDcMapData")) + 4, 24,
                   " nan                    ");
  TokenReader mapReader(nanValue);
  EXPECT_TRUE(ReadMapData(mapReader).readError);
  std::string radius = map;
  radius.replace(radius.find("Radius:  ") + 9, 8, "inf     ");
  TokenReader headerReader(radius);
  EXPECT_TRUE(ReadMapFileHeader(headerReader).readError);
  std::string circle = ReadGoldenFile("_circle1.rsd");
  circle.replace(circle.find(rows, circle.find("DataSize:")) + 4, 24, " nan                    ");
  EXPECT_TRUE(ReadCircle(circle).readError);
}

// The whole file's bytes, whatever its size and line ends; nothing where there is no file to
// read. A file read by its size is checked at sizes around the read's first chunk.
TEST(TokenReader, FromFileReadsTheWholeFileOrNothing) {
  TempFolder folder;
  for (const std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 140000u}) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
      text += "1.5\r\n\t x"[i % 8];
    }
    const auto path = folder.Write("file.dat", text);
    std::optional<TokenReader> reader = TokenReader::FromFile(path);
    ASSERT_TRUE(reader.has_value()) << size;
    EXPECT_EQ(reader->Remaining(), size);
    std::string words;
    while (auto word = reader->ReadWord()) {
      words += *word;
    }
    const auto printable =
        std::count_if(text.begin(), text.end(), [](char c) { return !AsciiIsSpace(c); });
    EXPECT_EQ(words.size(), static_cast<std::size_t>(printable)) << size;
  }
  EXPECT_FALSE(TokenReader::FromFile(folder.Path() / "missing.dat").has_value());
  EXPECT_FALSE(TokenReader::FromFile(folder.Path()).has_value());  // a directory
}

RawScanPoints Read(const std::string& text) {
  TokenReader reader(text);
  return ReadRawScanFile(reader);
}

CMaDoubleArray List(std::vector<double> values) {
  CMaDoubleArray a;
  a.Values() = std::move(values);
  return a;
}

TEST(RawScanFile, WritesOneLineOfThreeDataValuesPerPoint) {
  EXPECT_EQ(WriteRawScanFile(List({12.5, 1.0}), List({-3.25, -2.0}), List({0.0, -3.0})),
            " 1.2500000000000000e+001-3.2500000000000000e+000 0.0000000000000000e+000\r\n"
            " 1.0000000000000000e+000-2.0000000000000000e+000-3.0000000000000000e+000\r\n");
  EXPECT_EQ(WriteRawScanFile({}, {}, {}), "");
  // A deflection list that came back short gives only the complete lines.
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

constexpr const char* kFile =
    "MeasuringUnit (0 mm, 1 inches): 1\r\nHeadAngleA: 10.5\r\nHeadAngleB: -20\r\n"
    "ProbeType: 6\r\nProbeOffsets: 0.5 -0.25 1\r\n"
    "Feature Centre: 1 2 3\r\nXaxis: 0 1 0\r\nNormal: 0 0 -1\r\n"
    "ToleranceCentre: 0.5\r\nToleranceRadius: 0.25\r\nToleranceSpeed: 2\r\n"
    "ToleranceAcceleration: 3\r\nToleranceStartAngle: 4\r\nToleranceFine: 0.001\r\n"
    "PositionalTolerance: 0.05\r\n";

TEST(SystemSettingsFile, ReadsAllFifteenValuesInOrder) {
  TokenReader reader(kFile);
  SystemSettings v;
  EXPECT_TRUE(ReadSystemSettings(reader, v));
  const auto& t = v.tolerances;
  EXPECT_EQ(std::tuple(v.measuringUnit, v.headAngleA, v.headAngleB, v.probeType, v.probeOffsets.y(),
                       v.centre.z(), v.xaxis.y(), v.normal.z()),
            std::tuple(1, 10.5, -20.0, 6, -0.25, 3.0, 1.0, -1.0));
  EXPECT_EQ(std::tuple(t.centre, t.radius, t.speed, t.acceleration, t.startAngle, t.fine,
                       v.positionalTolerance),
            std::tuple(0.5, 0.25, 2.0, 3.0, 4.0, 0.001, 0.05));
}

TEST(SystemSettingsFile, AValueThatFailsKeepsItsPreviousValueAndFailsTheRead) {
  TokenReader reader("MeasuringUnit (0 mm, 1 inches): 1 HeadA: x HeadB: 2");
  SystemSettings v;
  v.headAngleA = 7.0;
  v.tolerances.fine = 0.5;
  EXPECT_FALSE(ReadSystemSettings(reader, v));
  EXPECT_EQ(v.measuringUnit, 1);
  EXPECT_EQ(v.headAngleA, 7.0);
  EXPECT_EQ(v.tolerances.fine, 0.5);  // "ToleranceCentre:" never found
}

}  // namespace

}  // namespace ombrixdc
