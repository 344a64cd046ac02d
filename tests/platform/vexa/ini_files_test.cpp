// The INI files the simulated controller reads: the client's settings, the machine
// description and the language files.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/com/bstr.h"
#include "platform/vexa/machine_description.h"
#include "tests/platform/vexa/rig.h"
#include "tests/support/temp_folder.h"

namespace vexa_sim_test {
namespace {

const char kSettings[] =
    "; settings of the test machine\r\n"
    "# a comment of the other kind\r\n"
    "[OmbrixDC]\r\n"
    "BufferPitch = 0.25\r\n"
    "dcMapPitch=1.5 ; inline remark\r\n"
    ";DCSpeedFactor=5\r\n"
    "   TimeOut=48\r\n"
    "WorkingDirectory=\"D:\\Data\\\"\r\n"
    "Bad=12abc\r\n"
    "Infinite=inf\r\n"
    "Huge=99999999999\r\n"
    "[KT410]\r\n"
    "KnownPartScanAcceleration=+250\r\n";

// The value ReadDouble gives for `key` (default -1), with its result.
std::pair<HRESULT, double> ReadDouble(const std::string& file, const char* section,
                                      const char* key) {
  double value = 0.0;
  const HRESULT hr = Create<IVexa_settings>(CLSID_Vexa_settings)
                         ->ReadDouble(ComBstr(section).Get(), ComBstr(key).Get(), -1.0,
                                      ComBstr(file).Get(), &value);
  return {hr, value};
}

TEST(SettingsStore, ReadsValuesWhateverTheCase_DefaultWhenMissing_FailsWhenUnusableOrDamaged) {
  TempFolder folder;
  const std::string file = folder.Write("settings.ini", kSettings).string();
  const struct {
    const char* section;
    const char* key;
    HRESULT hr;
    double value;  // -1: the default
  } cases[] = {
      {"ombrixdc", "BUFFERPITCH", S_OK, 0.25},
      {"kt410", "KnownPartScanAcceleration", S_OK, 250.0},
      {"OmbrixDC", "timeout", S_OK, 48.0},        // an indented line is a key like any other
      {"OmbrixDC", "DCSpeedFactor", S_OK, -1.0},  // commented out
      {"OmbrixDC", "Bad", E_FAIL, -1.0},
      {"OmbrixDC", "Infinite", E_FAIL, -1.0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadDouble(file, c.section, c.key), std::make_pair(c.hr, c.value)) << c.key;
  }
  auto store = Create<IVexa_settings>(CLSID_Vexa_settings);
  const ComBstr section("OmbrixDC"), path(file);
  LONG number = 0;
  EXPECT_EQ(E_FAIL, store->ReadInteger(section.Get(), ComBstr("Huge").Get(), -1, path.Get(),
                                       &number));  // beyond 32 bits
  EXPECT_EQ(-1, number);
  ComBstr text;
  EXPECT_EQ(S_OK, store->ReadString(section.Get(), ComBstr("WorkingDirectory").Get(), nullptr,
                                    path.Get(), text.Receive()));
  EXPECT_EQ("D:\\Data\\", text.Utf8());
  // A file with a syntax error or an overlong line fails as a whole.
  for (const std::string& text :
       {std::string("[OmbrixDC]\nBufferPitch=0.25\nthis line is no setting\n"),
        "[OmbrixDC]\nWorkingDirectory=" + std::string(400, 'a') + "\nBufferPitch=0.25\n"}) {
    EXPECT_EQ(ReadDouble(folder.Write("bad.ini", text).string(), "OmbrixDC", "BufferPitch"),
              std::make_pair(E_FAIL, -1.0));
  }
}

TEST(MachineDescription, RefusesWhatItCannotApplyAndSaysWhere_ReadsTheRestWhole) {
  const std::pair<const char*, const char*> cases[] = {
      {"[Noise]\nSigma = fast\n", ":2: [Noise] Sigma: \"fast\" not a finite number"},
      {"[Noise]\nSigma = \"\"\n", "Sigma: \"\" not a finite number"},  // quotes of an empty value
      {"[Dynamics]\nNaturalFrequency = 0\n", "must be greater than 0"},
      {"[Dynamics]\nNaturalFrequncy = 20\n", "unknown key"},
      {"[Feature]\nSizeError = 0.001\n\nSizeError = 0.002\n", ":4: [Feature] SizeError: given"},
      {"[Frame]\nNormal = 2, 0, 0\n", "not parallel"},
      {"[Feature]\nLobes = 3:0.001:0, 1:0.001:0\n", "lobe 2 \"1:0.001:0\": the undulations"}};
  TempFolder folder;
  for (const auto& [text, said] : cases) {
    const auto path = folder.Write("bad.ini", text);
    std::string error;
    EXPECT_FALSE(vexa_sim::LoadMachineDescription(path.string(), &error).has_value()) << text;
    EXPECT_EQ(0u, error.find(path.string())) << error;
    EXPECT_NE(std::string::npos, error.find(said)) << text << " said: " << error;
  }
  // What it takes is read whole, a leading '+' allowed.
  const auto path = folder.Write(
      "good.ini", "[Dynamics]\nNaturalFrequency = +25.5\n[Feature]\nLobes = 12:0.001:0\n");
  const auto good = vexa_sim::LoadMachineDescription(path.string(), nullptr);
  ASSERT_TRUE(good.has_value());
  EXPECT_EQ(good->dynamics.naturalFrequency, 25.5);
  EXPECT_EQ(good->feature.lobes.at(0).undulations, 12);
}

TEST(ErrorObject, GivesTextsOfTheAcceptedLanguageAndRefusesOthersOrOutsideTheFolder) {
  TempFolder root;
  std::filesystem::create_directory(root.Path() / "lng");
  const std::string texts = "[VexaOmbrixDCWindowText]\r\n33002=Öffnen\r\n33097=Schließen\r\n";
  root.Write("lng/Deutsch.lng", texts);
  root.Write("Escape.lng", texts);
  ::setenv("OMBRIXDC_LANGUAGE_DIR", (root.Path() / "lng").c_str(), 1);
  auto error = Create<IVexa_error>(CLSID_Vexa_error);
  EXPECT_EQ(S_OK, error->put_Language(ComBstr("Deutsch").Get()));
  EXPECT_EQ(E_INVALIDARG, error->put_Language(ComBstr("../Escape").Get()));
  ComBstr text;
  const ComBstr section("VexaOmbrixDCWindowText");
  EXPECT_EQ(S_OK, error->GetText(section.Get(), ComBstr("33097").Get(), text.Receive()));
  EXPECT_EQ("Schließen", text.Utf8());
  EXPECT_EQ(S_FALSE, error->GetText(section.Get(), ComBstr("33098").Get(), text.Receive()));
  EXPECT_FALSE(text.IsAbsent() || text.Length() > 0) << "the empty, not the absent, text";
  ::unsetenv("OMBRIXDC_LANGUAGE_DIR");
}

}  // namespace
}  // namespace vexa_sim_test
