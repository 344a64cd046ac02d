#pragma once
// The viewer's built-in words: the display texts of the plot, panel, menu, toolbar tooltips and
// status bar, by string id, in the two English variants the viewer ships with. The variant
// follows the process's language as the C library names it (en_GB -> United Kingdom).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/window_host.h"
#include "src/viewer/viewer_data.h"

namespace ombrixdc {

// English (United States), language 1033, and English (United Kingdom), language 2057.
enum class TextVariant : int32_t { EnglishUS = 0, EnglishUK = 1 };

// Longest display text in characters; longer texts are cut to it.
inline constexpr std::size_t kMaxViewerTextLength = 127;

// The built-in text of a string id (display texts 33001..33204 and the status-bar prompts of
// the command ids 32768..32784); empty for an id that has none.
std::string BuiltInViewerText(int32_t id, TextVariant variant);

// The variant a locale name asks for: a name starting "en_GB" gives EnglishUK, anything else
// (including an empty name, "C", "POSIX") EnglishUS.
TextVariant TextVariantFromLocaleName(std::string_view localeName);
// The process's language: the first non-empty of LC_ALL, LC_MESSAGES and LANG.
TextVariant TextVariantFromEnvironment();

// A TextLookup over the built-in texts of one variant.
TextLookup BuiltInTextLookup(TextVariant variant);

// The built-in menu bar: "&File" (Open..., Exit) and "&View" (Metrology, Magnify, Shrink, Grid,
// Reference, Fast, Corrected; the last three checked).
std::vector<ui::MenuItem> BuiltInMenu();
// The menu bar built from display texts (used with translated texts): File with text 33002
// and "..." and text 33003; View with texts 33012..33018 for the commands 32778..32784, the last
// three checked.
std::vector<ui::MenuItem> MenuFromTexts(const TextLookup& text);

}  // namespace ombrixdc
