#pragma once
// Draws what the Radial Error View shows into a PNG, SVG or PDF file, without a display.
#include <filesystem>
#include <optional>
#include <string>

#include "platform/text/ascii.h"
#include "platform/ui/canvas.h"
#include "src/viewer/viewer_data.h"

namespace ombrixdc {

// The client area of a new viewer window (768 x 577 outer, less frame, caption and menu bar).
inline constexpr ui::Size kDefaultClientSize{760, 531};

enum class RenderFormat : int32_t { Png = 0, Svg = 1, Pdf = 2 };
// From the file's extension (.png, .svg, .pdf, any case); nothing for any other. Inline, so
// that the command line checks a picture's name without loading the view module.
inline std::optional<RenderFormat> RenderFormatFromPath(const std::filesystem::path& path) {
  const std::string extension = AsciiLowerCase(path.extension().string());
  if (extension == ".png") {
    return RenderFormat::Png;
  }
  if (extension == ".svg") {
    return RenderFormat::Svg;
  }
  if (extension == ".pdf") {
    return RenderFormat::Pdf;
  }
  return std::nullopt;
}

struct RenderResult {
  bool ok = false;
  std::string error;  // what went wrong, for the user, when not ok
};
// Paints a client area of `size` into `path`, the format chosen by its extension.
RenderResult RenderViewToFile(const std::filesystem::path& path, ui::Size size,
                              const PaintInput& input);

}  // namespace ombrixdc
