#include "src/services/settings_read.h"

#include <gtest/gtest.h>

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

TEST_F(SettingsReadTest, ReadsEveryValue) {
  const auto r = Read(std::string(kRequired) +
                      "DCSpeedFactor=2.5\nDCStartAngle=45\nScanSettlingTime=300\nTimeOut=24\n"
                      "WorkingDirectory=/data/\n[MoveConfiguration]\nPositionalTolerance=0.02\n");
  EXPECT_TRUE(r.storeCreated);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.values.positionalTolerance, 0.02);
  EXPECT_EQ(r.values.knownPartScanAcceleration, 200.0);
  EXPECT_EQ(r.values.bufferPitch, 0.1);
  EXPECT_EQ(r.values.dcMapPitch, 0.5);
  EXPECT_EQ(r.values.dcSpeedFactor, 2.5);
  EXPECT_EQ(r.values.dcStartAngle, 45.0);
  EXPECT_EQ(r.values.scanSettlingTime, 300);
  EXPECT_EQ(r.values.timeOut, 24);
  EXPECT_EQ(r.values.workingDirectory, std::optional<std::string>("/data/"));
}

TEST_F(SettingsReadTest, ClampsSpeedFactorAndStartAngle) {
  struct Case {
    const char* factor;
    const char* angle;
    double expectedFactor, expectedAngle;
  } cases[] = {
      {"0.05", "200", 0.1, 120.0},
      {"25", "29.9", 10.0, 30.0},
      {"10", "120", 10.0, 120.0},
  };
  for (const Case& c : cases) {
    const auto r = Read(std::string(kRequired) + "DCSpeedFactor=" + c.factor +
                        "\nDCStartAngle=" + c.angle + "\n");
    EXPECT_EQ(r.values.dcSpeedFactor, c.expectedFactor) << c.factor;
    EXPECT_EQ(r.values.dcStartAngle, c.expectedAngle) << c.angle;
  }
}

TEST_F(SettingsReadTest, MissingValuesTakeTheirDefaults) {
  const auto r = Read(kRequired);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.values.positionalTolerance, 0.01);  // missing -> -1 -> 0.01
  EXPECT_EQ(r.values.dcSpeedFactor, 0.1);
  EXPECT_EQ(r.values.dcStartAngle, 30.0);
  EXPECT_EQ(r.values.scanSettlingTime, 0);
  EXPECT_EQ(r.values.timeOut, -1);
  EXPECT_FALSE(r.values.workingDirectory.has_value());

  const auto zero = Read(std::string(kRequired) + "[MoveConfiguration]\nPositionalTolerance=0\n");
  EXPECT_EQ(zero.values.positionalTolerance, 0.0);  // exact match required, not replaced
}

TEST_F(SettingsReadTest, FailsWhenARequiredValueIsMissing_KeepingTheRest) {
  const auto r = Read(
      "[KT410]\nKnownPartScanAcceleration=200\n[OmbrixDC]\nBufferPitch=0.1\n"
      "DCSpeedFactor=3\n");
  EXPECT_TRUE(r.storeCreated);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.values.dcMapPitch, -1.0);
  EXPECT_EQ(r.values.dcSpeedFactor, 3.0);
}

TEST_F(SettingsReadTest, FailsWhenTheFileCannotBeRead) {
  const auto r = ReadTuningSettings(1, (folder.Path() / "missing.ini").string());
  EXPECT_TRUE(r.storeCreated);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.values.dcSpeedFactor, 0.1);  // ranges still applied
}

TEST_F(SettingsReadTest, ProbeTypePicksTheAccelerationSection) {
  const std::pair<int32_t, const char*> sections[] = {
      {1, "KT410"}, {4, "QRL"},     {6, "KT72"},    {7, "KT19"},     {10, "KT19"},
      {15, "KT19"}, {0, "UNKNOWN"}, {2, "UNKNOWN"}, {16, "UNKNOWN"}, {-1, "UNKNOWN"}};
  for (auto [type, section] : sections) {
    EXPECT_STREQ(ProbeTypeSection(type), section) << type;
    const auto r = Read(std::string("[") + section +
                            "]\nKnownPartScanAcceleration=42\n[OmbrixDC]\nBufferPitch=1\n"
                            "DCMapPitch=1\n",
                        type);
    EXPECT_EQ(r.values.knownPartScanAcceleration, 42.0) << type;
  }
}

}  // namespace ombrixdc
