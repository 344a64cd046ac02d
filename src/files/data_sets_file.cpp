#include "src/files/data_sets_file.h"

#include "src/engine/circle_preparation.h"
#include "src/files/map_file_header.h"
#include "src/files/number_format.h"

namespace ombrixdc {

namespace {

struct BlockLayout {
  const char* title;
  bool aboutSlowCentre;
};
constexpr BlockLayout kBlocks[kDataSetCount] = {
    {"Metrology Slow Scan Data", true},       {"Metrology Fast Scan Data", false},
    {"Metrology Corrected Scan Data", false}, {"Normalised Slow Scan Data", true},
    {"Normalised Fast Scan Data", false},     {"Normalised Corrected Scan Data", false},
};

void WriteHeaderAndParts1To3(TextWriter& out, const DataSetsFileContent& content) {
  out.Line("OmBrixDC Circle Data Sets File").EmptyLines(1).Line("DO NOT EDIT!").EmptyLines(2);
  out.Line("Part 1. System Settings").Line("Part 2. Feature Data");
  out.Line("Part 3. Additional Information").Line("Part 4. Data Sets").EmptyLines(2);

  out.Line("Part 1. System Settings").EmptyLines(1);
  WriteMapFileHeaderLines(out, content.header, MapFileHeaderPart::SharedSystemSettings);
  out.EmptyLines(2);

  out.Line("Part 2. Feature Data").EmptyLines(1);
  WriteMapFileHeaderLines(out, content.header, MapFileHeaderPart::FeatureData);
  out.EmptyLines(2);

  out.Line("Part 3. Additional Information").EmptyLines(1);
  for (const auto& info : content.headerInfo) {
    out.TextModeText(info.value_or("")).LineEnd();
  }
  out.EmptyLines(2);
}

void WriteBlock(TextWriter& out, const BlockLayout& layout, const DataSet& set,
                const CMaPoint& centre) {
  const CMaPointArray points = ProfileToPoints(set.radii, set.angles, centre);
  CMaCircle circle(1.0);
  double form = 0.0;
  double rms = 0.0;
  circle.Fit(points, form, rms);
  out.Line(layout.title);
  out.SettingLine("Form: ", form);
  out.SettingLine("Radius: ", circle.GetRadius());
  out.SettingPointLine("Centre: ", circle.GetCentre()).EmptyLines(1);
  out.Line("Data:");
  for (const CMaPoint& point : points) {
    out.DataPoint(point);
  }
}

}  // namespace

DataSetsFileText WriteDataSetsFile(const DataSetsFileContent& content) {
  if (content.dataSets[0].radii.IsEmpty()) {
    return {.text = {}, .error = ErrorNumber::NoData};
  }
  TextWriter out;
  WriteHeaderAndParts1To3(out, content);
  out.Line("Part 4. Data Sets").EmptyLines(1);
  out.Line("Number of Data Sets: 6");
  out.Line("Types of Data Sets: [Metrology | Normalised] [Slow | Fast | Corrected] Scan Data");
  out.IntegerLine("Size of Data Set: ", static_cast<int32_t>(content.dataSets[0].radii.GetSize()));
  out.EmptyLines(2);

  for (std::size_t k = 0; k < kDataSetCount; ++k) {
    const DataSet& set = content.dataSets[k];
    if (set.radii.IsEmpty()) {
      // A run that failed part way: the file keeps the blocks it has.
      return {.text = out.Take(), .error = ErrorNumber::NoData};
    }
    WriteBlock(out, kBlocks[k], set,
               kBlocks[k].aboutSlowCentre ? content.slowCentre : content.fastCentre);
    if (k + 1 < kDataSetCount) {
      out.EmptyLines(2);
    }
  }
  return {.text = out.Take(), .error = ErrorNumber::None};
}

DataSetsFilePathResult DataSetsFilePath(const std::filesystem::path& runDirectory,
                                        std::string_view fileName) {
  // Both separators lead out of the run directory on one system or the other; a NUL would
  // cut the name short where the operating system reads it.
  const bool bare = !fileName.empty() && fileName != "." && fileName != ".." &&
                    fileName.find_first_of(std::string_view("\\/\0", 3)) == std::string_view::npos;
  if (!bare) {
    return {.error = ErrorNumber::DataSetsFileNameInvalid, .path = {}};
  }
  std::string name(fileName);
  if (name.find('.') == std::string::npos) {
    name += ".dat";
  }
  return {.error = ErrorNumber::None, .path = runDirectory / name};
}

}  // namespace ombrixdc
