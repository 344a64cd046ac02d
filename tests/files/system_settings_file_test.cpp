// System.dat: the machine values and tolerances an offline run reads.
#include "src/files/system_settings_file.h"

#include <gtest/gtest.h>

#include <tuple>

#include "src/files/token_reader.h"

namespace ombrixdc {

constexpr const char* kFile =
    "MeasuringUnit (0 mm, 1 inches): 1\r\nHeadAngleA: 10.5\r\nHeadAngleB: -20\r\n"
    "ProbeType: 6\r\nProbeOffsets: 0.5 -0.25 1\r\n"
    "Feature Centre: 1 2 3\r\nXaxis: 0 1 0\r\nNormal: 0 0 -1\r\n"
    "ToleranceCentre: 0.5\r\nToleranceRadius: 0.25\r\nToleranceSpeed: 2\r\n"
    "ToleranceAcceleration: 3\r\nToleranceStartAngle: 4\r\nToleranceFine: 0.001\r\n"
    "PositionalTolerance: 0.05\r\n";

// The feature's values before them are checked where the component takes them from the file.
TEST(SystemSettingsFile, ReadsTheTolerancesAfterTheFeaturesValues) {
  TokenReader reader(kFile);
  SystemSettings v;
  EXPECT_EQ(ReadSystemSettings(reader, v), ErrorNumber::None);
  const auto& t = v.tolerances;
  EXPECT_EQ(std::tuple(t.centre, t.radius, t.speed, t.acceleration, t.startAngle, t.fine,
                       v.positionalTolerance),
            std::tuple(0.5, 0.25, 2.0, 3.0, 4.0, 0.001, 0.05));
}

TEST(SystemSettingsFile, AValueThatFailsKeepsItsPreviousValueAndFailsTheRead) {
  TokenReader reader("MeasuringUnit (0 mm, 1 inches): 1 HeadA: x HeadB: 2");
  SystemSettings v;
  v.headAngleA = 7.0;
  v.tolerances.fine = 0.5;
  EXPECT_EQ(ReadSystemSettings(reader, v), ErrorNumber::SystemSettingsFileDamaged);
  EXPECT_EQ(v.measuringUnit, 1);
  EXPECT_EQ(v.headAngleA, 7.0);
  EXPECT_EQ(v.tolerances.fine, 0.5);  // "ToleranceCentre:" never found
}

}  // namespace ombrixdc
