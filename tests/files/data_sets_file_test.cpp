// The data sets file SaveData writes: its layout, its end at an empty set, its name.
#include "src/files/data_sets_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "src/files/map_file.h"
#include "src/files/token_reader.h"
#include "tests/files/golden_files.h"

namespace ombrixdc {
namespace {

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
  return std::regex_replace(line, std::regex("[0-9]"), "9");
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
  DataSetsFileContent content;
  TokenReader mapReader(ReadGoldenFile("_circle1.rsm"));
  content.header = ReadMapFileHeader(mapReader).header;  // the same run's values
  content.headerInfo[0] = "Example";
  TokenReader reader(golden);
  // Each set is the radii and angles that ProfileToPoints turns into its points about the origin.
  for (DataSet& set : content.dataSets) {
    ASSERT_TRUE(reader.SkipPast("Data:"));
    while (auto x = reader.ReadDouble()) {
      const double y = *reader.ReadDouble();
      ASSERT_TRUE(reader.ReadDouble());  // z
      set.radii.Add(std::hypot(*x, y));
      set.angles.Add(std::atan2(y, *x));
    }
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
                                                       {"..", ""}};
  for (const auto& [name, path] : cases) {
    const DataSetsFilePathResult r = DataSetsFilePath(run, name);
    EXPECT_EQ(r.error, *path ? ErrorNumber::None : ErrorNumber::StoredMapUnusable) << name;
    EXPECT_EQ(r.path, std::filesystem::path(path)) << name;
  }
  EXPECT_EQ(DataSetsFilePath(run, std::string_view("a\0b", 3)).error,
            ErrorNumber::StoredMapUnusable);
}

}  // namespace
}  // namespace ombrixdc
