// Reading a run's results: GetData and SaveData.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "src/component/circle_dc_component.h"
#include "src/component/process_state.h"
#include "src/engine/circle_preparation.h"
#include "src/files/data_sets_file.h"
#include "src/files/file_output.h"

namespace ombrixdc {

std::optional<DataSetPoints> DataSetPointsOf(const RunResults& results, int32_t type) {
  if (type < 0 || type >= kDataTypeCount) {
    return std::nullopt;
  }
  const DataSet& dataSet = results.dataSets[type];
  if (dataSet.radii.IsEmpty() || dataSet.angles.IsEmpty()) {
    return std::nullopt;
  }
  const bool slow = type == E_OMBRIX_DC_CIRCLE_DATA_SLOW || type == E_OMBRIX_DC_CIRCLE_DATA_SLOWMAP;
  const CMaPointArray points = ProfileToPoints(dataSet.radii, dataSet.angles,
                                               slow ? results.slowCentre : results.fastCentre);
  CMaCircle circle(1.0);
  double form = 0.0, rms = 0.0;
  circle.Fit(points, form, rms);
  DataSetPoints result;
  result.form = form;
  result.radius = circle.GetRadius();
  result.centre = circle.GetCentre();
  result.x.reserve(points.GetSize());
  result.y.reserve(points.GetSize());
  result.z.reserve(points.GetSize());
  for (const CMaPoint& p : points) {
    result.x.push_back(p.x());
    result.y.push_back(p.y());
    result.z.push_back(p.z());
  }
  return result;
}

HRESULT CircleDCComponent::GetData(int32_t type, DataSetPoints* out, LONG* success) {
  if (!out || !success) {
    return E_POINTER;
  }
  *success = 0;
  // One read of the last run's results: the data set and its centre belong to the same run.
  const PublishedRunResults results = Results();
  std::optional<DataSetPoints> points = results ? DataSetPointsOf(*results, type) : std::nullopt;
  if (!points) {
    RecordError(ErrorNumber::NoData);
    return S_OK;
  }
  *out = std::move(*points);
  *success = 1;
  return S_OK;
}

HRESULT CircleDCComponent::SaveData(const OptionalText& fileName, LONG* success) {
  if (!success) {
    return E_POINTER;
  }
  *success = 0;
  // The file holds one run: its feature, data sets and centres, from one read.
  const PublishedRunResults results = Results();
  if (!results || results->dataSets[E_OMBRIX_DC_CIRCLE_DATA_SLOW].radii.IsEmpty()) {
    RecordError(ErrorNumber::NoData);
    return S_OK;
  }
  const DataSetsFilePathResult path = DataSetsFilePath(RunFolder(), fileName.value_or(""));
  if (path.error != ErrorNumber::None) {
    RecordError(path.error);
    return S_OK;
  }

  DataSetsFileContent content;
  content.header = results->feature;
  for (size_t i = 0; i < content.headerInfo.size(); ++i) {
    content.headerInfo[i] = HeaderInfo[i].Get();
  }
  for (size_t i = 0; i < content.dataSets.size(); ++i) {
    content.dataSets[i] = results->dataSets[i];
  }
  content.slowCentre = results->slowCentre;
  content.fastCentre = results->fastCentre;
  const DataSetsFileText file = WriteDataSetsFile(content);

  // Through a temporary file: a full disk or a crash never costs the results already there.
  errno = 0;
  const bool written = WriteTextFileAtomically(path.path, file.text);
  const int whyNot = errno;
  if (!written || file.error != ErrorNumber::None) {
    std::error_code ec;
    RecordError(
        ErrorNumber::DataSetsFileNotWritten,
        written ? "the last run gave only some data sets; " + path.path.string() + " holds those"
        : std::filesystem::is_directory(path.path, ec)
            ? path.path.string() + " is a folder"
            : "cannot write " + path.path.string() +
                  (whyNot ? std::string(": ") + std::strerror(whyNot) : ""));
    return S_OK;
  }
  *success = 1;
  return S_OK;
}

}  // namespace ombrixdc
