#include "src/files/map_file_layout.h"

namespace ombrixdc {

void WriteSystemSettingLines(TextWriter& out, const MapFileHeader& h) {
  out.IntegerLine("MeasuringUnit (0 mm, 1 inches): ", h.measuringUnit);
  out.SettingLine("Acceleration: ", h.acceleration);
  out.SettingLine("BufferPitch: ", h.bufferPitch);
  out.SettingLine("MapPitch: ", h.mapPitch);
}

void WriteFeatureDataLines(TextWriter& out, const MapFileHeader& h) {
  out.IntegerLine("Type (0 bore, 1 boss): ", h.boreOrBoss);
  out.SettingLine("Radius: ", h.radius);
  out.SettingPointLine("Centre: ", h.centre);
  out.SettingPointLine("Normal: ", h.normal);
  out.SettingPointLine("Xaxis: ", h.xaxis).EmptyLines(1);

  out.IntegerLine("Mode: ", h.mode);
  out.SettingLine("ModeParameter: ", h.modeParameter);
  out.IntegerLine("FilterNumber: ", h.filterNumber);
  out.SettingLine("SlowSpeed: ", h.slowSpeed);
  out.SettingLine("FastSpeed: ", h.fastSpeed);
  out.IntegerLine("ScanDirection (0 clockwise, 1 anti-clockwise): ", h.scanDirection);
  out.SettingLine("ScanDeflection: ", h.scanDeflection).EmptyLines(1);

  out.SettingLine("HeadAngleA: ", h.headAngleA);
  out.SettingLine("HeadAngleB: ", h.headAngleB).EmptyLines(1);

  out.IntegerLine("ProbeType: ", h.probeType);
  out.SettingPointLine("ProbeOffsets: ", h.probeOffsets);
  out.SettingLine("TipRadius: ", h.tipRadius);
}

}  // namespace ombrixdc
