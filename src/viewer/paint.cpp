#include "src/viewer/paint.h"

#include "src/viewer/paint_parts.h"
#include "src/viewer/viewer_text.h"

namespace ombrixdc {

void PaintRadialErrorView(ui::Canvas& canvas, ui::Rect client, const PaintInput& input) {
  using namespace paint;
  const TextLookup text = input.text ? input.text : BuiltInTextLookup(TextVariant::EnglishUS);
  // The paint starts in the device's default font, in which the location heading's width is
  // taken; the rest is measured in the plot's variable-pitch font.
  canvas.SelectFont(ui::Font::Default);
  canvas.SelectPen(kBlackPen);
  canvas.SetTextColour(kBlack);
  const PanelLayout panel = MeasurePanel(canvas, client, text);
  // The band is drawn before the axes but needs the plot's scale, so the whole geometry is
  // worked out first, from this paint's client area.
  const PlotGeometry plot = ComputePlotGeometry(client, canvas.TextExtent("+ X"),
                                                PanelLeftEdge(canvas, panel, input, text));

  DrawHeadings(canvas, panel, input, text);
  if (input.logo.width > 0 && input.logo.height > 0) {
    canvas.DrawImage({10, 35}, input.logo);
  }
  DrawRepeatabilityBand(canvas, plot, input);
  DrawAxesAndGrid(canvas, plot, input.ShowGrid);
  DrawCurves(canvas, plot, input);
  canvas.SelectPen(kBlackPen);
  const int32_t blockY = DrawLegendBlock(canvas, panel, input, text);
  const bool feature = input.data.FeatureRadius > 0.0;
  if (feature) {
    DrawScanDirectionArrow(canvas, plot, input.data.ScanDirection);
  }
  DrawNominalCircle(canvas, plot);
  DrawColourKey(canvas, panel, blockY, input, text);
  if (feature) {
    DrawLocationTable(canvas, panel, input, text);
    DrawResultsTable(canvas, panel, input, text);
  }
}

}  // namespace ombrixdc
