#include "src/files/map_file.h"

#include "src/files/data_block.h"
#include "src/files/number_format.h"

namespace ombrixdc {

namespace {

constexpr const char* kBlockNames[kMapSlotCount] = {"PreMapData", "DcMapData",
                                                    "PremappedDcMapData"};

// A normal or x-axis matches when it points within the angle bound of the current one. A zero
// vector has no direction (the angle routine reports 0 for it) and matches nothing.
bool SameDirection(const CMaPoint& a, const CMaPoint& b, double maxDegrees) {
  if (a.IsZero(0.0) || b.IsZero(0.0)) {
    return false;
  }
  return CMaVector(a).AngleWith(CMaVector(b)) <= maxDegrees;
}

bool Near(double a, double b, double tolerance) {
  return MaIsEqual(a, b, tolerance) == MA_TRUE;
}

bool Near(const CMaPoint& a, const CMaPoint& b, double tolerance) {
  return a.IsEqual(b, tolerance) == MA_TRUE;
}

// The comparisons in the file's order; && stops at the first difference.
bool HeadersAgree(const MapFileHeader& f, const MapFileHeader& c, const MatchTolerances& t,
                  bool ignoreFilterAndSpeeds) {
  const double angleBound = t.fine + 1.0;
  return f.measuringUnit == c.measuringUnit &&
         Near(f.acceleration, c.acceleration, t.acceleration) &&
         Near(f.bufferPitch, c.bufferPitch, t.fine) && Near(f.mapPitch, c.mapPitch, t.fine) &&
         Near(f.dcStartAngle, c.dcStartAngle, t.startAngle) && f.dcMapMethod == c.dcMapMethod &&
         f.filterMethod == c.filterMethod && f.boreOrBoss == c.boreOrBoss &&
         Near(f.radius, c.radius, t.radius) && Near(f.centre, c.centre, t.centre) &&
         SameDirection(f.normal, c.normal, angleBound) &&
         SameDirection(f.xaxis, c.xaxis, angleBound) &&
         (ignoreFilterAndSpeeds ||
          (f.filterNumber == c.filterNumber && Near(f.slowSpeed, c.slowSpeed, t.speed) &&
           Near(f.fastSpeed, c.fastSpeed, t.speed))) &&
         f.scanDirection == c.scanDirection && Near(f.scanDeflection, c.scanDeflection, t.fine) &&
         f.headAngleA == c.headAngleA && f.headAngleB == c.headAngleB &&
         f.probeType == c.probeType && Near(f.tipRadius, c.tipRadius, t.fine) &&
         Near(f.probeOffsets, c.probeOffsets, t.fine);
}

// What a value that cannot be read counts as in a comparison.
MapFileHeader UnreadHeader() {
  MapFileHeader h;
  for (int32_t* value : {&h.measuringUnit, &h.dcMapMethod, &h.filterMethod, &h.boreOrBoss, &h.mode,
                         &h.filterNumber, &h.scanDirection, &h.probeType}) {
    *value = -1;
  }
  h.normal = CMaPoint(0.0, 0.0, 0.0);
  h.xaxis = CMaPoint(0.0, 0.0, 0.0);
  return h;
}

}  // namespace

std::string WriteMapFile(const MapFileHeader& header, const MapSlots& slots) {
  TextWriter out;
  out.Line("OmBrixDC Circle Map file").EmptyLines(1).Line("DO NOT EDIT!").EmptyLines(2);
  out.Line("System Settings").EmptyLines(1);
  WriteMapFileHeaderLines(out, header, MapFileHeaderPart::SystemSettings);
  out.Line("Feature Data").EmptyLines(1);
  WriteMapFileHeaderLines(out, header, MapFileHeaderPart::FeatureData);
  for (std::size_t i = 0; i < kMapSlotCount; ++i) {
    out.EmptyLines(i == 0 ? 2 : 1).Line(kBlockNames[i]).EmptyLines(1);
    WriteDataBlock(out, slots.slot[i].values, slots.slot[i].angles);
  }
  return out.Take();
}

MapMatchResult MatchMapFile(TokenReader& reader, const MapFileHeader& current,
                            const MatchTolerances& tolerances, MapComparison comparison) {
  const bool ignoreFilterAndSpeeds = comparison == MapComparison::Relaxed;
  MapFileHeader file = UnreadHeader();
  // Matching reads exactly what it compares.
  const bool readOk = ReadMapFileHeaderValues(
      reader, file, ignoreFilterAndSpeeds ? kNeverCompared | kFilterAndSpeeds : kNeverCompared);
  if (!HeadersAgree(file, current, tolerances, ignoreFilterAndSpeeds)) {
    return {};
  }
  return {.matches = readOk, .error = readOk ? ErrorNumber::None : ErrorNumber::StoredMapUnusable};
}

MapFileHeaderResult ReadMapFileHeader(TokenReader& reader) {
  MapFileHeaderResult result;
  if (!ReadMapFileHeaderValues(reader, result.header, 0)) {
    result.error = ErrorNumber::StoredMapUnusable;
  }
  return result;
}

MapDataResult ReadMapData(TokenReader& reader) {
  MapDataResult result;
  for (std::size_t i = 0; i < kMapSlotCount; ++i) {
    MapSlot& slot = result.slots.slot[i];
    reader.SkipPast(kBlockNames[i]);
    reader.ReadWord();  // "DataSize:"
    if (!ReadDataBlock(reader, {&slot.values, &slot.angles})) {
      result.error = ErrorNumber::StoredMapUnusable;
    }
  }
  return result;
}

}  // namespace ombrixdc
