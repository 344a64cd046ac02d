#include <stdlib.h>

#include "platform/com/bstr.h"
#include "tests/platform/vexa/vexa_test_support.h"
#include "tests/support/temp_folder.h"

using namespace vexa_test;

TEST(ErrorObject, GivesTextsOfTheAcceptedLanguageAndRefusesOthersOrOutsideTheFolder) {
  TempFolder root;
  std::filesystem::create_directory(root.Path() / "lng");
  const std::string texts = "[VexaOmbrixDCWindowText]\r\n33002=Öffnen\r\n33097=Schließen\r\n";
  root.Write("lng/Deutsch.lng", texts);
  root.Write("Escape.lng", texts);
  ::setenv("OMBRIXDC_LANGUAGE_DIR", (root.Path() / "lng").c_str(), 1);
  auto error = Create<IVexa_error>(CLSID_Vexa_error);
  EXPECT_EQ(S_OK, error->put_Language(ComBstr("Deutsch").Get()));
  EXPECT_EQ(E_INVALIDARG, error->put_Language(ComBstr("Klingon").Get()));
  EXPECT_EQ(E_INVALIDARG, error->put_Language(ComBstr("../Escape").Get()));
  ComBstr language, text;
  error->get_Language(language.Receive());
  EXPECT_EQ("Deutsch", language.Utf8());

  const ComBstr section("VexaOmbrixDCWindowText");
  EXPECT_EQ(S_OK, error->GetText(section.Get(), ComBstr("33097").Get(), text.Receive()));
  EXPECT_EQ("Schließen", text.Utf8());
  EXPECT_EQ(S_FALSE, error->GetText(section.Get(), ComBstr("33098").Get(), text.Receive()));
  EXPECT_FALSE(text.IsAbsent());
  EXPECT_EQ(0u, text.Length());
  ::unsetenv("OMBRIXDC_LANGUAGE_DIR");
}
