#include "src/viewer/viewer_text.h"

#include <cstdlib>
#include <span>
#include <utility>

namespace ombrixdc {

namespace {

struct TextEntry {
  int32_t id;
  const char* us;
  const char* uk;  // nullptr: the same as the US text
};

// Status-bar prompts of the commands (same ids as the commands) and the display texts.
constexpr TextEntry kTexts[] = {
    {32768, "Open an existing scan data sets file", nullptr},
    {32769, "Close the drawing window", nullptr},
    {32778, "Toggle between the metrology view and the normalized view",
     "Toggle between the metrology view and the normalised view"},
    {32779, "Decrease distance between rings", nullptr},
    {32780, "Increase distance between rings", nullptr},
    {32781, "Show or hide radial grids", nullptr},
    {32782, "Show or hide reference scan data", nullptr},
    {32783, "Show or hide fast scan data", nullptr},
    {32784, "Show or hide corrected scan data", nullptr},
    {33001, "File", nullptr},
    {33002, "Open", nullptr},
    {33003, "Exit", nullptr},
    {33011, "View", nullptr},
    {33012, "Metrology", nullptr},
    {33013, "Magnify", nullptr},
    {33014, "Shrink", nullptr},
    {33015, "Grid", nullptr},
    {33016, "Reference", nullptr},
    {33017, "Fast", nullptr},
    {33018, "Corrected", nullptr},
    {33030, "Ready", nullptr},
    {33031, "Toggle view", nullptr},
    {33032, "Magnify error", nullptr},
    {33033, "Shrink error", nullptr},
    {33034, "Toggle grids", nullptr},
    {33035, "Toggle reference data", nullptr},
    {33097, "Radial Error View", nullptr},
    {33098, "Nominal Diameter", nullptr},
    {33099, "Ring Intervals", nullptr},
    {33100, "Tick Intervals", nullptr},
    {33105, "Nominal Circle", nullptr},
    {33106, "Reference Scan Data", nullptr},
    {33107, "Fast Scan Data", nullptr},
    {33108, "Corrected Scan Data", nullptr},
    {33109, "Machine Repeatability", nullptr},
    {33110, "Metrology Data", nullptr},
    {33111, "Normalized Data", "Normalised Data"},
    {33112, "Location in Machine Coordinates", nullptr},
    {33113, "Form", nullptr},
    {33114, "Diameter", nullptr},
    {33115, "Speed", nullptr},
    {33116, "Center", "Centre"},
    {33117, "Y-Axis", nullptr},
    {33118, "Z-Axis", nullptr},
    {33119, "n/a", nullptr},
    {33201, "microns", nullptr},
    {33202, "in", nullptr},
    {33203, "mm", nullptr},
    {33204, "sec", nullptr},
};

constexpr int32_t kOpenCommand = 32768;
constexpr int32_t kExitCommand = 32769;
constexpr int32_t kFirstViewCommand = 32778;
constexpr int32_t kViewCommandCount = 7;

ui::MenuItem Popup(std::string text, std::vector<ui::MenuItem> items) {
  return ui::MenuItem{0, std::move(text), false, std::move(items)};
}

// Reference, Fast and Corrected (the last three View items) start checked.
bool StartsChecked(int32_t viewPosition) {
  return viewPosition >= 4;
}

// Metrology, Grid, Reference, Fast and Corrected switch something on or off; Magnify and
// Shrink are plain commands.
bool IsSwitch(int32_t viewPosition) {
  return viewPosition == 0 || viewPosition >= 3;
}

}  // namespace

std::string BuiltInViewerText(int32_t id, TextVariant variant) {
  for (const TextEntry& entry : kTexts) {
    if (entry.id != id) {
      continue;
    }
    const char* text = variant == TextVariant::EnglishUK && entry.uk ? entry.uk : entry.us;
    std::string result(text);
    if (result.size() > kMaxViewerTextLength) {
      result.resize(kMaxViewerTextLength);
    }
    return result;
  }
  return {};
}

TextVariant TextVariantFromLocaleName(std::string_view localeName) {
  return localeName.starts_with("en_GB") ? TextVariant::EnglishUK : TextVariant::EnglishUS;
}

TextVariant TextVariantFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      return TextVariantFromLocaleName(value);
    }
  }
  return TextVariant::EnglishUS;
}

TextLookup BuiltInTextLookup(TextVariant variant) {
  return [variant](int32_t id) { return BuiltInViewerText(id, variant); };
}

std::vector<ui::MenuItem> BuiltInMenu() {
  static constexpr const char* kViewItems[kViewCommandCount] = {
      "&Metrology", "M&agnify", "S&hrink", "&Grid", "&Reference", "&Fast", "&Corrected"};
  std::vector<ui::MenuItem> view;
  for (int32_t i = 0; i < kViewCommandCount; ++i) {
    view.push_back({kFirstViewCommand + i, kViewItems[i], StartsChecked(i), {}, IsSwitch(i)});
  }
  return {
      Popup("&File", {{kOpenCommand, "&Open...", false, {}}, {kExitCommand, "E&xit", false, {}}}),
      Popup("&View", std::move(view))};
}

std::vector<ui::MenuItem> MenuFromTexts(const TextLookup& text) {
  std::vector<ui::MenuItem> view;
  for (int32_t i = 0; i < kViewCommandCount; ++i) {
    view.push_back({kFirstViewCommand + i, text(33012 + i), StartsChecked(i), {}, IsSwitch(i)});
  }
  return {Popup(text(33001), {{kOpenCommand, text(33002) + "...", false, {}},
                              {kExitCommand, text(33003), false, {}}}),
          Popup(text(33011), std::move(view))};
}

}  // namespace ombrixdc
