#pragma once
// The map file's header: every value it holds, and the one table of its labels that both the
// map file's writer and its reader walk. The data sets file writes parts of the same table.
#include <array>
#include <cstdint>
#include <type_traits>

#include "platform/trivell/geometry.h"
#include "src/files/labelled_values.h"
#include "src/files/number_format.h"
#include "src/files/token_reader.h"

namespace ombrixdc {

// Every value of the map file's header, in the file's order. The data sets file writes the
// same system settings (the first four) and feature data (boreOrBoss to tipRadius).
struct MapFileHeader {
  // System settings
  int32_t measuringUnit = 0;  // 0 mm, 1 inches
  double acceleration = 0.0;  // KnownPartScanAcceleration of the probe type
  double bufferPitch = 0.0;   // BufferPitch
  double mapPitch = 0.0;      // DCMapPitch
  double dcStartAngle = 0.0;  // DCStartAngle
  int32_t dcMapMethod = 1;    // DCMapMethod (always 1)
  int32_t filterMethod = 0;   // FilterMethod
  // Feature data
  int32_t boreOrBoss = 0;  // 0 bore, 1 boss
  double radius = 0.0;     // FeatureRadius
  CMaPoint centre{0.0, 0.0, 0.0};
  CMaPoint normal{0.0, 0.0, 1.0};
  CMaPoint xaxis{1.0, 0.0, 0.0};
  int32_t mode = 0;
  double modeParameter = 0.0;
  int32_t filterNumber = 0;
  double slowSpeed = 0.0;
  double fastSpeed = 0.0;     // the fast scan speed actually used
  int32_t scanDirection = 0;  // 0 clockwise, 1 anticlockwise
  double scanDeflection = 0.0;
  double headAngleA = 0.0;
  double headAngleB = 0.0;
  int32_t probeType = 1;
  CMaPoint probeOffsets{0.0, 0.0, 0.0};  // as entered with EnterProbeOffsets
  double tipRadius = 0.0;
};

// Groups of header values a reading may pass over.
inline constexpr uint32_t kNeverCompared = 1;    // Mode and ModeParameter
inline constexpr uint32_t kFilterAndSpeeds = 2;  // FilterNumber, SlowSpeed and FastSpeed

// The header's values in the file's order, with their labels and the empty lines after them.
// The four labels the reader scans for are the anchors of the header's groups of lines.
template <class Header>  // MapFileHeader, or const MapFileHeader to write
auto MapFileHeaderValues(Header& h) {
  using V = LabelledValueOf<std::is_const_v<Header>>;
  constexpr LabelSearch kAnchor = LabelSearch::LastLabelWord;
  return std::array{
      // System settings
      V{.label = "MeasuringUnit (0 mm, 1 inches): ", .value = &h.measuringUnit, .search = kAnchor},
      V{.label = "Acceleration: ", .value = &h.acceleration},
      V{.label = "BufferPitch: ", .value = &h.bufferPitch},
      V{.label = "MapPitch: ", .value = &h.mapPitch},
      V{.label = "DCStartAngle: ", .value = &h.dcStartAngle, .emptyLinesAfter = 1},
      V{.label = "DCMapMethod: ", .value = &h.dcMapMethod},
      V{.label = "FilterMethod: ", .value = &h.filterMethod, .emptyLinesAfter = 2},
      // Feature data
      V{.label = "Type (0 bore, 1 boss): ", .value = &h.boreOrBoss, .search = kAnchor},
      V{.label = "Radius: ", .value = &h.radius},
      V{.label = "Centre: ", .value = &h.centre},
      V{.label = "Normal: ", .value = &h.normal},
      V{.label = "Xaxis: ", .value = &h.xaxis, .emptyLinesAfter = 1},
      V{.label = "Mode: ", .value = &h.mode, .group = kNeverCompared},
      V{.label = "ModeParameter: ", .value = &h.modeParameter, .group = kNeverCompared},
      V{.label = "FilterNumber: ",
        .value = &h.filterNumber,
        .search = kAnchor,
        .group = kFilterAndSpeeds},
      V{.label = "SlowSpeed: ", .value = &h.slowSpeed, .group = kFilterAndSpeeds},
      V{.label = "FastSpeed: ", .value = &h.fastSpeed, .group = kFilterAndSpeeds},
      V{.label = "ScanDirection (0 clockwise, 1 anti-clockwise): ",
        .value = &h.scanDirection,
        .search = kAnchor},
      V{.label = "ScanDeflection: ", .value = &h.scanDeflection, .emptyLinesAfter = 1},
      V{.label = "HeadAngleA: ", .value = &h.headAngleA},
      V{.label = "HeadAngleB: ", .value = &h.headAngleB, .emptyLinesAfter = 1},
      V{.label = "ProbeType: ", .value = &h.probeType},
      V{.label = "ProbeOffsets: ", .value = &h.probeOffsets},
      V{.label = "TipRadius: ", .value = &h.tipRadius},
  };
}

// The parts of the header a file writes: the map file every system setting, the data sets
// file only the first four; both the whole feature data.
enum class MapFileHeaderPart {
  SystemSettings,        // MeasuringUnit to FilterMethod
  SharedSystemSettings,  // MeasuringUnit to MapPitch
  FeatureData,           // Type (bore or boss) to TipRadius
};
void WriteMapFileHeaderLines(TextWriter& out, const MapFileHeader& header, MapFileHeaderPart part);

// Reads the header values in the file's order, passing over the groups in `passedOver`. False
// when a value could not be read (it keeps what it held).
[[nodiscard]] bool ReadMapFileHeaderValues(TokenReader& reader, MapFileHeader& header,
                                           uint32_t passedOver);

}  // namespace ombrixdc
