// The controller's error object as the viewer uses it: texts in the user's language, read
// from the INI language file "<Language>.lng" in the folder named by OMBRIXDC_LANGUAGE_DIR
// (the current folder when it is not set).
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/com/object.h"
#include "platform/vexa/ini_file.h"
#include "platform/vexa/interfaces.h"
#include "platform/vexa/simulated_objects.h"

namespace vexa_sim {
namespace {

std::string LanguageFilePath(const std::string& language) {
  const char* folder = std::getenv("OMBRIXDC_LANGUAGE_DIR");
  const std::string file = language + ".lng";
  if (!folder || !*folder) {
    return file;
  }
  std::string path = folder;
  if (path.back() != '/') {
    path += '/';
  }
  return path + file;
}

// A language names a file in the language folder, never a path out of it.
bool IsPlainName(std::u16string_view language) {
  if (language.empty() || language.front() == u'.') {
    return false;
  }
  return language.find_first_of(u"/\\:") == std::u16string_view::npos &&
         language.find(u'\0') == std::u16string_view::npos;
}

class ErrorObject final : public ComObject<IVexa_error> {
 public:
  // Accepts a language only when its texts can be read, so that a client which checks the
  // language it set never ends up with a language that has no texts. An empty one clears it.
  HRESULT put_Language(BSTR language) override {
    const std::u16string name = U16FromBstr(language);
    if (name.empty()) {
      std::lock_guard lock(mutex_);
      language_.clear();
      return S_OK;
    }
    if (!IsPlainName(name)) {
      return E_INVALIDARG;
    }
    const ComBstr copy = ComBstr::CopyOf(language);
    if (!IsReadableIniFile(LanguageFilePath(copy.Utf8()))) {
      return E_INVALIDARG;
    }
    std::lock_guard lock(mutex_);
    language_ = name;
    return S_OK;
  }

  HRESULT get_Language(BSTR* language) override {
    if (!language) {
      return E_POINTER;
    }
    std::lock_guard lock(mutex_);
    *language = language_.empty()
                    ? nullptr
                    : SysAllocStringLen(language_.data(), static_cast<uint32_t>(language_.size()));
    return S_OK;
  }

  // S_FALSE and an empty text when there is no such text (or no language); E_FAIL and an
  // empty text when the language file can no longer be read.
  HRESULT GetText(BSTR section, BSTR key, BSTR* text) override {
    if (!text) {
      return E_POINTER;
    }
    *text = SysAllocString(u"");
    std::u16string language;
    {
      std::lock_guard lock(mutex_);
      language = language_;
    }
    if (language.empty() || !section || !key) {
      return S_FALSE;
    }
    const ComBstr name =
        ComBstr::Attach(SysAllocStringLen(language.data(), static_cast<uint32_t>(language.size())));
    const IniLookup lookup =
        LookUpIniValue(LanguageFilePath(name.Utf8()), Utf8FromBstr(section), Utf8FromBstr(key));
    if (lookup.outcome == IniLookup::Outcome::Unreadable) {
      return E_FAIL;
    }
    if (lookup.outcome == IniLookup::Outcome::Missing) {
      return S_FALSE;
    }
    SysFreeString(*text);
    *text = BstrFromUtf8(lookup.value);
    return S_OK;
  }

 private:
  std::mutex mutex_;
  std::u16string language_;
};

}  // namespace

IUnknown* NewErrorObject() {
  return NewObjectAs<ErrorObject, IVexa_error>();
}

}  // namespace vexa_sim
