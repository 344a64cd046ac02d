#include "platform/vexa/machine_description.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_folder.h"

using namespace vexa_sim;

TEST(MachineDescription, RefusesWhatItCannotApplyAndSaysWhereAndWhy) {
  const struct {
    const char* text;
    const char* said;
  } cases[] = {
      {"[Noise]\nSigma = fast\n", ":2: [Noise] Sigma: \"fast\" not a finite number"},
      {"[Noise]\nSigma = -0.1\n", "must not be negative"},
      {"[Dynamics]\nNaturalFrequency = 0\n", "must be greater than 0"},
      {"[Dynamics]\nNaturalFrequncy = 20\n", "unknown key"},
      {"[Dynamic]\nNaturalFrequency = 20\n", "unknown section"},
      {"[Feature]\nSizeError = 0.001\n\nSizeError = 0.002\n", ":4: [Feature] SizeError: given"},
      {"[Probe]\nMeasuringUnit = 2\n", "must lie from 0 to 1"},
      {"[Frame]\nNormal = 2, 0, 0\n", "not parallel"},
      {"not ini at all\n", "cannot be read as an INI file"},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    const auto path = folder.Write("bad.ini", c.text);
    std::string error;
    EXPECT_FALSE(LoadMachineDescription(path.string(), &error).has_value()) << c.text;
    EXPECT_NE(std::string::npos, error.find(c.said)) << c.text << " said: " << error;
    EXPECT_EQ(0u, error.find(path.string())) << error;
  }
  std::string error;
  EXPECT_FALSE(LoadMachineDescription((folder.Path() / "absent.ini").string(), &error));
  EXPECT_NE(std::string::npos, error.find("absent.ini: cannot be read"));
  EXPECT_FALSE(LoadMachineDescription((folder.Path() / "absent.ini").string()));  // no message
}
