#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/com/bstr.h"
#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_test;
namespace fs = std::filesystem;

namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("vexa_settings_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
    Write(
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
        "KnownPartScanAcceleration=+250\r\n"
        "BufferPitch=9\r\n");
  }
  void TearDown() override { fs::remove_all(folder_); }

  void Write(const std::string& text) { std::ofstream(File(), std::ios::binary) << text; }
  std::string File() const { return (folder_ / "settings.ini").string(); }

  HRESULT ReadDouble(const char* section, const char* key, double* value,
                     const std::string& file = {}) {
    return store_->ReadDouble(ComBstr(section).Get(), ComBstr(key).Get(), -1.0,
                              ComBstr(file.empty() ? File() : file).Get(), value);
  }
  HRESULT ReadInteger(const char* key, LONG* value) {
    return store_->ReadInteger(ComBstr("OmbrixDC").Get(), ComBstr(key).Get(), -1,
                               ComBstr(File()).Get(), value);
  }
  HRESULT ReadString(const char* key, BSTR defaultValue, ComBstr* value,
                     const std::string& file = {}) {
    return store_->ReadString(ComBstr("OmbrixDC").Get(), ComBstr(key).Get(), defaultValue,
                              ComBstr(file.empty() ? File() : file).Get(), value->Receive());
  }

  fs::path folder_;
  ComPtr<IVexa_settings> store_ = Create<IVexa_settings>(CLSID_Vexa_settings);
};

}  // namespace

TEST_F(SettingsStoreTest, ReadsValuesWhateverTheCase_DefaultWhenMissing_FailsWhenUnusable) {
  const struct {
    const char* section;
    const char* key;
    HRESULT hr;
    double value;  // -1: the default
  } cases[] = {
      {"ombrixdc", "BUFFERPITCH", S_OK, 0.25},
      {"OmbrixDC", "DCMapPitch", S_OK, 1.5},  // an inline remark is no part of the value
      {"kt410", "KnownPartScanAcceleration", S_OK, 250.0},
      {"OmbrixDC", "timeout", S_OK, 48.0},        // an indented line is a key like any other
      {"OmbrixDC", "DCSpeedFactor", S_OK, -1.0},  // commented out
      {"NoSuchSection", "BufferPitch", S_OK, -1.0},
      {"OmbrixDC", "Bad", E_FAIL, -1.0},
      {"OmbrixDC", "Infinite", E_FAIL, -1.0},
  };
  for (const auto& c : cases) {
    double value = 0.0;
    EXPECT_EQ(ReadDouble(c.section, c.key, &value), c.hr) << c.key;
    EXPECT_EQ(value, c.value) << c.key;
  }
  LONG number = 0;
  EXPECT_EQ(E_FAIL, ReadInteger("Huge", &number));  // beyond 32 bits
  EXPECT_EQ(-1, number);
  EXPECT_EQ(E_FAIL, ReadInteger("BufferPitch", &number));
  ComBstr text;
  EXPECT_EQ(S_OK, ReadString("WorkingDirectory", nullptr, &text));
  EXPECT_EQ("D:\\Data\\", text.Utf8());
  EXPECT_EQ(S_OK, ReadString("Missing", nullptr, &text));
  EXPECT_TRUE(text.IsAbsent());
  ComBstr fallback("C:\\Fallback\\");
  EXPECT_EQ(S_OK, ReadString("Missing", fallback.Get(), &text));
  EXPECT_EQ("C:\\Fallback\\", text.Utf8());
}

TEST_F(SettingsStoreTest, FileWithASyntaxErrorOrOverlongLineFails) {
  double value = 0.0;
  Write("[OmbrixDC]\nBufferPitch=0.25\nthis line is no setting\n");
  EXPECT_EQ(E_FAIL, ReadDouble("OmbrixDC", "BufferPitch", &value));
  Write("[OmbrixDC]\nWorkingDirectory=" + std::string(400, 'a') + "\nBufferPitch=0.25\n");
  EXPECT_EQ(E_FAIL, ReadDouble("OmbrixDC", "BufferPitch", &value));
}
