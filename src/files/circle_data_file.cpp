#include "src/files/circle_data_file.h"

#include "src/engine/circle_preparation.h"
#include "src/files/data_block.h"
#include "src/files/number_format.h"
#include "src/files/value_sequence.h"

namespace ombrixdc {

namespace {

// Form, radius and centre of the data set's own circle, the centre moved from the slow
// scan's frame into machine coordinates.
void WriteBlock(TextWriter& out, std::string_view title, const DataSet& set,
                const CMaPoint& slowCentre) {
  const ProfileCircle circle = FitProfileCircle(set.radii, set.angles);
  out.Line(title).EmptyLines(1);
  out.SettingLine("Form: ", circle.form);
  out.SettingLine("Radius: ", circle.radius);
  out.SettingPointLine("Centre: ", circle.centre + slowCentre).EmptyLines(1);
  WriteDataBlock(out, set.radii, set.angles);
}

}  // namespace

std::string WriteCircleDataFile(const CircleData& data) {
  TextWriter out;
  out.Line("OmBrixDC Circle Data File").EmptyLines(1).Line("DO NOT EDIT!").EmptyLines(2);
  WriteBlock(out, "Slow Scan Data", data.slow, data.slowCentre);
  out.EmptyLines(2);
  WriteBlock(out, "Premapped Slow Scan Data", data.slowMap, data.slowCentre);
  return out.Take();
}

CircleDataResult ReadCircleDataFile(TokenReader& reader) {
  CircleDataResult result;
  CircleData& data = result.data;
  ValueSequence read(reader);
  read.LabelUpTo("Centre:");
  read.Point(data.slowCentre);
  for (DataSet* set : {&data.slow, &data.slowMap}) {
    read.LabelUpTo("DataSize:");
    if (!ReadDataBlock(reader, {&set->radii, &set->angles})) {
      read.Fail();
    }
  }
  // Nothing follows the SlowMap rows in a sound file; a further block is read (so that a
  // damaged one is noticed) and dropped.
  if (reader.SkipPast("DataSize:")) {
    CMaDoubleArray x, y, z;
    if (!ReadDataBlock(reader, {&x, &y, &z})) {
      read.Fail();
    }
  }
  if (!read.Ok()) {
    result.error = ErrorNumber::StoredMapUnusable;
  }
  return result;
}

}  // namespace ombrixdc
