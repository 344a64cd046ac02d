#pragma once
// The one font setup of every paint. The three fonts are DejaVu Sans (regular and bold) read
// straight from their font files, at fixed pixel sizes, with hinting off: advances and line
// heights are then the same on every machine and every surface, so text measured in the
// component's process (display list) lands exactly where the window server draws it.
//   Default, System : DejaVu Sans Bold, 13.5 px em, a 16 px line (ascent 13)
//   VariablePitch   : DejaVu Sans, 11 px em, a 13 px line (ascent 10)
#include <cairo.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ui/canvas.h"

namespace ui {

struct FontMetrics {
  int32_t ascent = 0;      // baseline below the top of the line, whole pixels
  int32_t lineHeight = 0;  // ascent + descent, whole pixels
};

// The scaled font `font` is drawn with, created once per process and shared (never destroy
// it). Meant for a surface whose transformation is the identity (device pixels).
cairo_scaled_font_t* ScaledFontOf(Font font);
FontMetrics MetricsOf(Font font);
// Width: the text's advance width; height: the font's line height.
Size MeasureText(Font font, std::string_view text);
// The text as the fonts draw it: valid UTF-8 unchanged; otherwise read as Latin-1 (narrow
// texts of the window system this replaces), so no byte string can put a shared font into
// cairo's error state. Stops at an embedded NUL, as a C string would.
std::string DrawableText(std::string_view text);

}  // namespace ui
