#include "src/files/system_settings_file.h"

#include "src/files/value_sequence.h"

namespace ombrixdc {

bool ReadSystemSettings(TokenReader& reader, SystemSettings& values) {
  ValueSequence read(reader);
  read.LabelUpTo("inches):");
  read.Int(values.measuringUnit);
  read.Label();
  read.Double(values.headAngleA);
  read.Label();
  read.Double(values.headAngleB);
  read.Label();
  read.Int(values.probeType);
  read.Label();
  read.Point(values.probeOffsets);

  read.LabelUpTo("Centre:");
  read.Point(values.centre);
  read.Label();
  read.Point(values.xaxis);
  read.Label();
  read.Point(values.normal);

  read.LabelUpTo("ToleranceCentre:");
  MatchTolerances& t = values.tolerances;
  read.Double(t.centre);
  for (double* tolerance : {&t.radius, &t.speed, &t.acceleration, &t.startAngle, &t.fine,
                            &values.positionalTolerance}) {
    read.Label();
    read.Double(*tolerance);
  }
  return read.Ok();
}

}  // namespace ombrixdc
