#include "src/files/map_file_header.h"

#include <cstddef>
#include <span>

namespace ombrixdc {

void WriteMapFileHeaderLines(TextWriter& out, const MapFileHeader& header, MapFileHeaderPart part) {
  // Indices into the table: the system settings end where the feature data start.
  constexpr std::size_t kSharedSystemSettingCount = 4;
  constexpr std::size_t kFeatureDataStart = 7;
  const auto values = MapFileHeaderValues(header);
  const std::span all(values);
  switch (part) {
    case MapFileHeaderPart::SystemSettings:
      return WriteLabelledValues(out, all.first(kFeatureDataStart));
    case MapFileHeaderPart::SharedSystemSettings:
      return WriteLabelledValues(out, all.first(kSharedSystemSettingCount));
    case MapFileHeaderPart::FeatureData:
      return WriteLabelledValues(out, all.subspan(kFeatureDataStart));
  }
}

bool ReadMapFileHeaderValues(TokenReader& reader, MapFileHeader& header, uint32_t passedOver) {
  return ReadLabelledValues(reader, MapFileHeaderValues(header), passedOver);
}

}  // namespace ombrixdc
