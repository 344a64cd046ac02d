#pragma once
// The data sets file written by SaveData: the system settings and feature data of the last
// run, five lines of the client's free text, and the six data sets as Cartesian points in
// machine coordinates, each block with the form, radius and centre of its least-squares
// circle. The Radial Error View opens these files.
#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/trivell/geometry.h"
#include "src/engine/error_number.h"
#include "src/engine/profile.h"
#include "src/files/map_file.h"

namespace ombrixdc {

// Data sets in file order, which is also the order of EDataType: Slow, Fast, Corrected,
// SlowMap, FastMap, CorrectedMap.
inline constexpr std::size_t kDataSetCount = 6;

struct DataSetsFileContent {
  // Written: measuringUnit, acceleration, bufferPitch, mapPitch and the feature data from
  // boreOrBoss to tipRadius. dcStartAngle, dcMapMethod and filterMethod are not part of it.
  MapFileHeader header;
  // HeaderInfo1..5 as multi-byte text; a text never set is an empty line.
  std::array<std::optional<std::string>, 5> headerInfo;
  std::array<DataSet, kDataSetCount> dataSets;
  // Added to the Slow and SlowMap points (slowCentre) and to the others (fastCentre).
  CMaPoint slowCentre{0.0, 0.0, 0.0};
  CMaPoint fastCentre{0.0, 0.0, 0.0};
};

struct [[nodiscard]] DataSetsFileText {
  // The file's text. Empty when the Slow data set is empty: then no file may be created.
  std::string text;
  // None; or NoData when the Slow data set is empty (text empty) or a later data set is
  // empty (text ends after the last complete block and its two empty lines, and is to be
  // written as it is).
  ErrorNumber error = ErrorNumber::None;
};
DataSetsFileText WriteDataSetsFile(const DataSetsFileContent& content);

struct [[nodiscard]] DataSetsFilePathResult {
  ErrorNumber error = ErrorNumber::None;
  std::filesystem::path path;  // set when error is None
};
// The path SaveData writes to: runDirectory / fileName, with ".dat" appended when the name has
// no full stop. Only a bare file name is accepted: a name that is empty, ".", "..", or holds a
// '\\', a '/' or a NUL fails with ErrorNumber::DataSetsFileNameInvalid (6).
DataSetsFilePathResult DataSetsFilePath(const std::filesystem::path& runDirectory,
                                        std::string_view fileName);

}  // namespace ombrixdc
