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

// The values read from a settings file, with the defaults of missing ones and the ranges of
// the speed factor and start angle applied; ok only when every read succeeded and the three
// required values are there.
TEST_F(SettingsReadTest, ReadsClampsAndDefaultsEveryValue) {
  struct Case {
    const char* name;
    std::optional<std::string> content;  // none: the file does not exist
    bool ok;
    TuningSettings expected;
  };
  const std::string required = kRequired;
  const auto with = [](double tolerance, double factor, double angle, int32_t settling,
                       int32_t timeOut, std::optional<std::string> folder) {
    return TuningSettings{tolerance, 200.0, 0.1, 0.5, factor, angle, settling, timeOut, folder};
  };
  const Case cases[] = {
      {"every value",
       required + "DCSpeedFactor=2.5\nDCStartAngle=45\nScanSettlingTime=300\nTimeOut=24\n"
                  "WorkingDirectory=/data/\n[MoveConfiguration]\nPositionalTolerance=0.02\n",
       true, with(0.02, 2.5, 45.0, 300, 24, "/data/")},
      {"only the required ones", required, true, with(0.01, 0.1, 30.0, 0, -1, std::nullopt)},
      {"tolerance 0 is kept", required + "[MoveConfiguration]\nPositionalTolerance=0\n", true,
       with(0.0, 0.1, 30.0, 0, -1, std::nullopt)},
      {"factor and angle too small", required + "DCSpeedFactor=0.05\nDCStartAngle=29.9\n", true,
       with(0.01, 0.1, 30.0, 0, -1, std::nullopt)},
      {"factor and angle too large", required + "DCSpeedFactor=25\nDCStartAngle=200\n", true,
       with(0.01, 10.0, 120.0, 0, -1, std::nullopt)},
      {"factor and angle at their limits", required + "DCSpeedFactor=10\nDCStartAngle=120\n", true,
       with(0.01, 10.0, 120.0, 0, -1, std::nullopt)},
      {"map pitch missing, the rest kept",
       "[KT410]\nKnownPartScanAcceleration=200\n[OmbrixDC]\nBufferPitch=0.1\nDCSpeedFactor=3\n",
       false,
       {0.01, 200.0, 0.1, -1.0, 3.0, 30.0, 0, -1, std::nullopt}},
      {"no file: ranges still applied", std::nullopt, false, {}},
  };
  for (const Case& c : cases) {
    const auto r = c.content ? Read(*c.content)
                             : ReadTuningSettings(1, (folder.Path() / "missing.ini").string());
    const auto fields = [](const TuningSettings& v) {
      return std::tuple(v.positionalTolerance, v.knownPartScanAcceleration, v.bufferPitch,
                        v.dcMapPitch, v.dcSpeedFactor, v.dcStartAngle, v.scanSettlingTime,
                        v.timeOut, v.workingDirectory);
    };
    EXPECT_TRUE(r.storeCreated) << c.name;
    EXPECT_EQ(r.ok, c.ok) << c.name;
    EXPECT_EQ(fields(r.values), fields(c.expected)) << c.name;
  }
}

TEST_F(SettingsReadTest, ProbeTypePicksTheAccelerationSection) {
  const std::pair<int32_t, const char*> sections[] = {{1, "KT410"},   {4, "QRL"},   {6, "KT72"},
                                                      {7, "KT19"},    {10, "KT19"}, {15, "KT19"},
                                                      {16, "UNKNOWN"}};
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
