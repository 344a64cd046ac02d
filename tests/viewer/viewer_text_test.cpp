// Which words the viewer shows: translated texts from the controller's error object, or the
// built-in English ones.
#include "src/viewer/viewer_text_choice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>

#include "platform/com/bstr.h"
#include "platform/com/object.h"
#include "src/viewer/viewer_text.h"

namespace ombrixdc {
namespace {

// An error object that accepts the languages it has texts for. `echo` is what it reads back
// as its language; by default what it was given.
class FakeErrorObject final : public ComObject<IVexa_error> {
 public:
  HRESULT put_Language(BSTR language) override {
    const std::string name = Utf8FromBstr(language);
    if (name != "Deutsch" && name != "Deutsch2") {
      return E_INVALIDARG;
    }
    language_ = name;
    return S_OK;
  }
  HRESULT get_Language(BSTR* language) override {
    *language = BstrFromUtf8(echo.empty() ? language_ : echo);
    return S_OK;
  }
  HRESULT GetText(BSTR section, BSTR key, BSTR* text) override {
    const auto found = texts.find(Utf8FromBstr(key));
    const bool known = Utf8FromBstr(section) == "VexaOmbrixDCWindowText" && found != texts.end();
    *text = BstrFromUtf8(known ? found->second : "");
    return known ? S_OK : S_FALSE;
  }

  std::string echo;
  std::map<std::string, std::string> texts{{"33097", "Radialfehleransicht"}, {"33204", ""}};

 private:
  std::string language_;
};

TEST(ViewerTextChoice, ErrorObjectIsKeptOnlyForAnAcceptedLanguageOtherThanEnglish) {
  // The language set, what the error object reads back, whether it is kept.
  const std::tuple<std::optional<std::string>, std::string, bool> cases[] = {
      {std::nullopt, "", false},       // no language set
      {"eNGLISH", "", false},          // English in any case: the built-in texts
      {"Klingon", "", false},          // refused
      {"Deutsch", "Deutsch2", false},  // took another language instead
      {"Deutsch", "Deutsc", false},    // read back shorter
      {"Deutsch", "", true},
  };
  for (const auto& [language, echo, kept] : cases) {
    ComPtr<FakeErrorObject> errorObject = MakeComObject<FakeErrorObject>();
    errorObject->echo = echo;
    EXPECT_EQ(KeepErrorObjectForLanguage(*errorObject.Get(), language), kept)
        << language.value_or("(absent)");
  }
}

TEST(ViewerTextChoice, KeptErrorObjectSuppliesTheTexts_BuiltInWordsFillItsGaps) {
  const TextLookup text =
      ViewerTextLookup(MakeComObject<FakeErrorObject>(), TextVariant::EnglishUK);
  EXPECT_EQ(text(33097), "Radialfehleransicht");
  EXPECT_EQ(text(33116), "Centre");  // missing from its file: the built-in (UK) word
  EXPECT_EQ(text(33204), "sec");     // empty in its file: the built-in word too

  EXPECT_EQ(ViewerTextLookup(nullptr, TextVariant::EnglishUS)(33116), "Center");
}

// Every built-in text of both variants, one "id: US | UK" line each, against the kept list:
// the menu, tooltip, status-bar and display words a person reads.
// OMBRIXDC_UPDATE_GOLDEN=1 rewrites the list.
TEST(BuiltInViewerText, EveryTextOfBothVariantsMatchesTheKeptList) {
  std::string list;
  for (int32_t id = 32768; id <= 33204; ++id) {
    const std::string us = BuiltInViewerText(id, TextVariant::EnglishUS);
    const std::string uk = BuiltInViewerText(id, TextVariant::EnglishUK);
    if (!us.empty() || !uk.empty()) {
      list += std::to_string(id) + ": " + us + " | " + uk + "\n";
    }
  }
  const std::string kept = OMBRIXDC_SOURCE_DIR "/tests/viewer/golden/texts.txt";
  if (std::getenv("OMBRIXDC_UPDATE_GOLDEN")) {
    std::ofstream(kept, std::ios::binary) << list;
  }
  std::ifstream in(kept, std::ios::binary);
  EXPECT_EQ(list, std::string(std::istreambuf_iterator<char>(in), {})) << kept;
}

}  // namespace
}  // namespace ombrixdc
