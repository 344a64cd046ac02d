#pragma once
// Where the viewer's words come from: the controller's error object, which serves texts in
// the user's language, when the component names a language other than English that the
// error object accepts; otherwise the built-in English texts.
#include <optional>
#include <string>

#include "platform/com/com_ptr.h"
#include "platform/vexa/interfaces.h"
#include "src/viewer/viewer_client.h"
#include "src/viewer/viewer_data.h"
#include "src/viewer/viewer_text.h"

namespace ombrixdc {

// The section of the error object's texts that holds the viewer's words, keyed by string id.
inline constexpr const char* kViewerTextSection = "VexaOmbrixDCWindowText";

// Has the client create its controller's error object and keeps it only when the client's
// language is set, is not "english" in any case, and the error object takes it: its Language
// reads back exactly the same. Nothing when the built-in texts serve.
ComPtr<IVexa_error> ErrorObjectForLanguage(const ViewerClient& client);

// The same decision for an error object the caller made (tests hand in a fake).
bool KeepErrorObjectForLanguage(IVexa_error& errorObject,
                                const std::optional<std::string>& language);

// Display texts from `errorObject` (the text of key "<id>" in kViewerTextSection), or the
// built-in text of `variant` when there is no error object or it has no text for an id.
TextLookup ViewerTextLookup(ComPtr<IVexa_error> errorObject, TextVariant variant);

}  // namespace ombrixdc
