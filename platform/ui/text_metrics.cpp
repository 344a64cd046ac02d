#include "platform/ui/text_metrics.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cmath>
#include <mutex>
#include <string>

namespace ui {
namespace {

constexpr const char* kRegularFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kBoldFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr double kBoldPixels = 13.5;
constexpr double kRegularPixels = 11.0;

// The font file's face, or the same family through fontconfig when the file is not where
// the Debian package puts it (metrics then depend on what fontconfig finds).
cairo_font_face_t* FaceOf(const char* file, bool bold) {
  static FT_Library library = nullptr;
  if (library == nullptr && FT_Init_FreeType(&library) != 0) {
    library = nullptr;
  }
  FT_Face face = nullptr;
  if (library != nullptr && FT_New_Face(library, file, 0, &face) == 0) {
    // The face lives as long as the process: the fonts are shared by every paint.
    return cairo_ft_font_face_create_for_ft_face(face, 0);
  }
  return cairo_toy_font_face_create("DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                                    bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
}

cairo_scaled_font_t* MakeScaledFont(cairo_font_face_t* face, double pixels) {
  cairo_matrix_t fontMatrix;
  cairo_matrix_t identity;
  cairo_matrix_init_scale(&fontMatrix, pixels, pixels);
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &fontMatrix, &identity, options);
  cairo_font_options_destroy(options);
  return scaled;
}

struct FontSet {
  std::array<cairo_scaled_font_t*, 3> scaled{};
  std::array<FontMetrics, 3> metrics{};
};

const FontSet& Fonts() {
  static const FontSet fonts = [] {
    FontSet set;
    cairo_font_face_t* bold = FaceOf(kBoldFile, true);
    cairo_font_face_t* regular = FaceOf(kRegularFile, false);
    set.scaled[static_cast<int>(Font::Default)] = MakeScaledFont(bold, kBoldPixels);
    set.scaled[static_cast<int>(Font::System)] = MakeScaledFont(bold, kBoldPixels);
    set.scaled[static_cast<int>(Font::VariablePitch)] = MakeScaledFont(regular, kRegularPixels);
    for (size_t i = 0; i < set.scaled.size(); ++i) {
      cairo_font_extents_t extents;
      cairo_scaled_font_extents(set.scaled[i], &extents);
      set.metrics[i].ascent = static_cast<int32_t>(std::lround(extents.ascent));
      set.metrics[i].lineHeight =
          static_cast<int32_t>(std::lround(extents.ascent + extents.descent));
    }
    return set;
  }();
  return fonts;
}

size_t IndexOf(Font font) {
  const auto index = static_cast<size_t>(font);
  return index < 3 ? index : static_cast<size_t>(Font::Default);
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80           ? 1
                    : (lead >> 5) == 0x6  ? 2
                    : (lead >> 4) == 0xE  ? 3
                    : (lead >> 3) == 0x1E ? 4
                                          : 0;
    if (length == 0 || i + length > text.size() || (length == 2 && lead < 0xC2) ||
        (length == 4 && lead > 0xF4)) {
      return false;
    }
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
        return false;
      }
    }
    // Overlong three-byte forms, UTF-16 surrogates and four-byte forms beyond U+10FFFF.
    const auto second = static_cast<unsigned char>(length > 1 ? text[i + 1] : 0);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
      return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

std::string DrawableText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  if (IsValidUtf8(text)) {
    return std::string(text);
  }
  std::string utf8;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

cairo_scaled_font_t* ScaledFontOf(Font font) {
  return Fonts().scaled[IndexOf(font)];
}

FontMetrics MetricsOf(Font font) {
  return Fonts().metrics[IndexOf(font)];
}

Size MeasureText(Font font, std::string_view text) {
  const std::string drawable = DrawableText(text);
  cairo_text_extents_t extents;
  cairo_scaled_font_text_extents(ScaledFontOf(font), drawable.c_str(), &extents);
  return Size{static_cast<int32_t>(std::lround(extents.x_advance)), MetricsOf(font).lineHeight};
}

}  // namespace ui
