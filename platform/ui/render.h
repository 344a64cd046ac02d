#pragma once
// Painting without a window: into a picture in memory (tests) or into a PNG, SVG or PDF file
// (the command line's exports). The surface starts white, as the window's background does.
#include <functional>
#include <string>

#include "platform/ui/canvas.h"

namespace ui {

// A paint: draws the client rectangle {0, 0, width, height} on the canvas.
using PaintFunction = std::function<void(Canvas& canvas, Rect client)>;

// The picture of one paint at `size` pixels; an empty Image when the size is not positive or
// the surface cannot be made.
Image RenderToImage(Size size, const PaintFunction& paint);

// Writes one paint at `size` pixels (points for PDF) to `path`; the format follows the
// extension, .png, .svg or .pdf in any case. False with the reason in `whyNot` (may be null)
// for another extension, a size that is not positive or a file that cannot be written.
bool RenderToFile(const std::string& path, Size size, const PaintFunction& paint,
                  std::string* whyNot);

}  // namespace ui
