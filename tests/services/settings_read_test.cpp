#include "src/services/settings_read.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/vexa/simulated_machine.h"
#include "tests/support/temp_folder.h"

namespace ombrixdc {

namespace {

class SettingsReadTest : public ::testing::Test {
 protected:
  void SetUp() override { vexa_sim::RegisterSimulatedController(); }
  SettingsReadResult Read(const std::string& content, int32_t probeType = 1) {
    return ReadTuningSettings(probeType, folder.Write("settings.ini", content).string());
  }
  TempFolder folder;
};

const char* kRequired =
    "[KT410]\nKnownPartScanAcceleration=200\n[OmbrixDC]\nBufferPitch=0.1\nDCMapPitch=0.5\n";

}  // namespace

auto Fields(const TuningSettings& v) {
  return std::tuple(v.positionalTolerance, v.knownPartScanAcceleration, v.bufferPitch, v.dcMapPitch,
                    v.dcSpeedFactor, v.dcStartAngle, v.scanSettlingTime, v.timeOut,
                    v.workingDirectory);
}

// The values read from a settings file, with the defaults of missing ones and the ranges of
// the speed factor and start angle applied; ok only when every read succeeded and the three
// required values are there.
TEST_F(SettingsReadTest, ReadsClampsAndDefaultsEveryValue) {
  SettingsReadResult r =
      Read(std::string(kRequired) +
           "DCSpeedFactor=2.5\nDCStartAngle=45\nScanSettlingTime=300\nTimeOut=24\n"
           "WorkingDirectory=/data/\n[MoveConfiguration]\nPositionalTolerance=0.02\n");
  EXPECT_TRUE(r.ok && r.storeCreated);
  EXPECT_EQ(Fields(r.values), Fields({0.02, 200.0, 0.1, 0.5, 2.5, 45.0, 300, 24, "/data/"}));
  // Added to the required values; the positional tolerance, speed factor and start angle kept.
  const std::tuple<const char*, double, double, double> cases[] = {
      {"", 0.01, 0.1, 30.0},  // the defaults
      {"[MoveConfiguration]\nPositionalTolerance=0\n", 0.0, 0.1, 30.0},
      {"DCSpeedFactor=0.05\nDCStartAngle=29.9\n", 0.01, 0.1, 30.0},  // too small
      {"DCSpeedFactor=25\nDCStartAngle=200\n", 0.01, 10.0, 120.0},   // too large
      {"DCSpeedFactor=10\nDCStartAngle=120\n", 0.01, 10.0, 120.0},   // at the limits
  };
  for (const auto& [added, tolerance, factor, angle] : cases) {
    r = Read(kRequired + std::string(added));
    EXPECT_TRUE(r.ok) << added;
    EXPECT_EQ(Fields(r.values),
              Fields({tolerance, 200.0, 0.1, 0.5, factor, angle, 0, -1, std::nullopt}))
        << added;
  }
  // A missing required value fails the read and the rest is kept; a missing file fails too.
  r = Read(
      "[KT410]\nKnownPartScanAcceleration=200\n[OmbrixDC]\nBufferPitch=0.1\nDCSpeedFactor=3\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(Fields(r.values), Fields({0.01, 200.0, 0.1, -1.0, 3.0, 30.0, 0, -1, std::nullopt}));
  r = ReadTuningSettings(1, (folder.Path() / "missing.ini").string());
  EXPECT_TRUE(r.storeCreated && !r.ok);
  EXPECT_EQ(Fields(r.values), Fields({}));
}

TEST_F(SettingsReadTest, ProbeTypePicksTheAccelerationSection) {
  const std::pair<int32_t, const char*> sections[] = {{1, "KT410"},   {4, "QRL"},   {6, "KT72"},
                                                      {7, "KT19"},    {10, "KT19"}, {15, "KT19"},
                                                      {16, "UNKNOWN"}};
  for (auto [type, section] : sections) {
    const auto r = Read(std::string("[") + section +
                            "]\nKnownPartScanAcceleration=42\n[OmbrixDC]\nBufferPitch=1\n"
                            "DCMapPitch=1\n",
                        type);
    EXPECT_EQ(r.values.knownPartScanAcceleration, 42.0) << type;
  }
}

}  // namespace ombrixdc
