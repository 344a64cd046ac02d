#pragma once
// The labelled value lines that the map file and the data sets file share.
#include "src/files/map_file.h"
#include "src/files/number_format.h"

namespace ombrixdc {

// "MeasuringUnit (0 mm, 1 inches): " to "MapPitch: ".
void WriteSystemSettingLines(TextWriter& out, const MapFileHeader& header);
// "Type (0 bore, 1 boss): " to "TipRadius: ", with the empty lines between the groups.
void WriteFeatureDataLines(TextWriter& out, const MapFileHeader& header);

}  // namespace ombrixdc
