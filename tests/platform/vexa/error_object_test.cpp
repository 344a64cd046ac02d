#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/com/bstr.h"
#include "tests/platform/vexa/vexa_test_support.h"

using namespace vexa_test;
namespace fs = std::filesystem;

namespace {

class ErrorObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("vexa_lng_" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    std::ofstream(folder_ / "Deutsch.lng", std::ios::binary)
        << "[VexaOmbrixDCWindowText]\r\n33002=Öffnen\r\n33097=Schließen\r\n";
    ::setenv("OMBRIXDC_LANGUAGE_DIR", folder_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("OMBRIXDC_LANGUAGE_DIR");
    fs::remove_all(folder_);
  }

  HRESULT Text(const char* key, ComBstr* text) {
    return error_->GetText(ComBstr("VexaOmbrixDCWindowText").Get(), ComBstr(key).Get(),
                           text->Receive());
  }
  std::string Language() {
    ComBstr language;
    error_->get_Language(language.Receive());
    return language.Utf8();
  }

  fs::path folder_;
  ComPtr<IVexa_error> error_ = Create<IVexa_error>(CLSID_Vexa_error);
};

}  // namespace

TEST_F(ErrorObjectTest, GivesTextsOfTheAcceptedLanguage) {
  EXPECT_EQ(S_OK, error_->put_Language(ComBstr("Deutsch").Get()));
  EXPECT_EQ("Deutsch", Language());
  ComBstr text;
  EXPECT_EQ(S_OK, Text("33097", &text));
  EXPECT_EQ("Schließen", text.Utf8());
  EXPECT_EQ(S_FALSE, Text("33098", &text));
  EXPECT_FALSE(text.IsAbsent());
  EXPECT_EQ(0u, text.Length());
}

TEST_F(ErrorObjectTest, RefusesLanguagesWithoutTextsOrOutsideTheFolder) {
  ASSERT_EQ(S_OK, error_->put_Language(ComBstr("Deutsch").Get()));
  EXPECT_EQ(E_INVALIDARG, error_->put_Language(ComBstr("Klingon").Get()));
  fs::copy_file(folder_ / "Deutsch.lng", folder_.parent_path() / "Escape.lng",
                fs::copy_options::overwrite_existing);
  const std::string outside = "../Escape";
  EXPECT_EQ(E_INVALIDARG, error_->put_Language(ComBstr(outside).Get()));
  fs::remove(folder_.parent_path() / "Escape.lng");
  EXPECT_EQ("Deutsch", Language());
}
