#include "src/viewer/render_view.h"

#include "platform/ui/render.h"
#include "src/viewer/paint.h"

namespace ombrixdc {

RenderResult RenderViewToFile(const std::filesystem::path& path, ui::Size size,
                              const PaintInput& input) {
  if (!RenderFormatFromPath(path)) {
    return {false, "the output file must end in .png, .svg or .pdf: " + path.string()};
  }
  if (size.width <= 0 || size.height <= 0) {
    return {false, "the picture size must be positive"};
  }
  std::string whyNot;
  const bool ok = ui::RenderToFile(
      path.string(), size,
      [&input](ui::Canvas& canvas, ui::Rect client) {
        PaintRadialErrorView(canvas, client, input);
      },
      &whyNot);
  if (!ok) {
    return {false, whyNot.empty() ? "cannot write " + path.string() : whyNot};
  }
  return {true, {}};
}

}  // namespace ombrixdc
