#pragma once
// One paint of the Radial Error View's client area: the polar plot of radial errors on the left
// (repeatability band, axes, grid, curves, scan direction arrow, nominal circle) and the legend
// and results panel on the right, drawn from a snapshot of the viewer's data and switches.
#include "platform/ui/canvas.h"
#include "src/viewer/viewer_data.h"

namespace ombrixdc {

// Draws the whole client area `client` (toolbar and status bar lie inside it) on `canvas`.
// Holds no state between paints.
void PaintRadialErrorView(ui::Canvas& canvas, ui::Rect client, const PaintInput& input);

}  // namespace ombrixdc
