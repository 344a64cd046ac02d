#include "src/viewer/viewer_text_choice.h"

#include <string_view>

#include "platform/com/bstr.h"
#include "platform/text/ascii.h"

namespace ombrixdc {
namespace {

bool IsEnglish(std::string_view language) {
  return AsciiEqualsIgnoringCase(language, "english");
}

}  // namespace

bool KeepErrorObjectForLanguage(IVexa_error& errorObject,
                                const std::optional<std::string>& language) {
  if (!language || language->empty() || IsEnglish(*language)) {
    return false;
  }
  const ComBstr wanted(*language);
  if (FAILED(errorObject.put_Language(wanted.Get()))) {
    return false;
  }
  ComBstr taken;
  if (FAILED(errorObject.get_Language(taken.Receive()))) {
    return false;
  }
  // Accepted means the very same code units back, not a language it chose instead.
  const std::u16string a = U16FromBstr(wanted.Get());
  const std::u16string b = U16FromBstr(taken.Get());
  return !taken.IsAbsent() && a == b;
}

ComPtr<IVexa_error> ErrorObjectForLanguage(const ViewerClient& client) {
  const std::optional<std::string> language = client.Language();
  if (!language || language->empty() || IsEnglish(*language)) {
    return nullptr;
  }
  ComPtr<IVexa_error> errorObject = client.NewErrorObject();
  if (!errorObject) {
    return nullptr;
  }
  if (!KeepErrorObjectForLanguage(*errorObject.Get(), language)) {
    return nullptr;
  }
  return errorObject;
}

TextLookup ViewerTextLookup(ComPtr<IVexa_error> errorObject, TextVariant variant) {
  if (!errorObject) {
    return BuiltInTextLookup(variant);
  }
  return [errorObject, variant](int32_t id) {
    const ComBstr section(kViewerTextSection);
    const ComBstr key(std::to_string(id));
    ComBstr text;
    // A language file without this text (or one that can no longer be read) must not leave
    // a blank in the window: the built-in word stands in.
    if (errorObject->GetText(section.Get(), key.Get(), text.Receive()) != S_OK ||
        text.Length() == 0) {
      return BuiltInViewerText(id, variant);
    }
    return text.Utf8();
  };
}

}  // namespace ombrixdc
