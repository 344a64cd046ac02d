#pragma once
// The steps of one paint of the Radial Error View, shared by the plot and the panel.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ui/canvas.h"
#include "src/viewer/viewer_data.h"

namespace ombrixdc::paint {

inline constexpr ui::Rgb kBlack{0, 0, 0};
inline constexpr ui::Rgb kGridGrey{150, 150, 150};
inline constexpr ui::Rgb kReferenceBlue{0, 0, 255};
inline constexpr ui::Rgb kFastRed{255, 0, 0};
inline constexpr ui::Rgb kCorrectedGreen{0, 255, 0};
inline constexpr ui::Pen kBlackPen{kBlack, 0, ui::LineStyle::Solid};

// The machine repeatability's band and key colours: cyan when the repeatability is known,
// grey when it is 0 and the band only marks one micron around the reference.
ui::Rgb RepeatabilityColour(double SlowSpeedRepeatability);
ui::Rgb RepeatabilityTextColour(double SlowSpeedRepeatability);

// Where the plot lies in the client area, in pixels.
struct PlotGeometry {
  int32_t cx = 0, cy = 0;  // plot centre
  int32_t R = 0;           // outer size: the axis labels sit at this distance
  int32_t h = 0, h2 = 0;   // height of the axis label text, and half of it
  int32_t L = 0;           // half length of the axes
  int32_t P = 0;           // radius of the scale
  int32_t b = 0;           // radius of the innermost ring
  int32_t q = 0;           // ring spacing: one ring interval of radial error
  double base = 0.0;       // radius of the nominal circle (zero error)
};
// `labelSize` is the size of "+ X" in the plot's font; the plot and its labels stay inside
// the client area and left of `panelLeft`, the panel's leftmost pixel.
PlotGeometry ComputePlotGeometry(ui::Rect client, ui::Size labelSize, int32_t panelLeft);

// The ring interval in microns of a RingIndex; nothing when no scale is chosen.
std::optional<int32_t> RingInterval(int32_t RingIndex);

// A radial error of `e` microns at angle `theta` as a point of the plot, `interval` microns to
// one ring spacing.
ui::Point MapError(const PlotGeometry& g, double e, double interval, double theta);
// A measured radius and angle as a point of the plot: the error against the reference scan's
// fitted radius `radius0`, `interval` microns to one ring spacing.
ui::Point MapPoint(const PlotGeometry& g, double radius0, double interval, double r, double theta);

void DrawRepeatabilityBand(ui::Canvas& canvas, const PlotGeometry& g, const PaintInput& input);
void DrawAxesAndGrid(ui::Canvas& canvas, const PlotGeometry& g, int32_t ShowGrid);
void DrawCurves(ui::Canvas& canvas, const PlotGeometry& g, const PaintInput& input);
void DrawScanDirectionArrow(ui::Canvas& canvas, const PlotGeometry& g, int32_t ScanDirection);
void DrawNominalCircle(ui::Canvas& canvas, const PlotGeometry& g);

// The panel's measures, taken before drawing.
struct PanelLayout {
  int32_t h = 0;       // text height of the panel's font
  int32_t left = 0;    // panel left
  int32_t valueX = 0;  // where block 1's values and the key's texts start
  int32_t bottom = 0;  // bottom and right edge of the client area
  int32_t right = 0;
};
// Measures wLoc in the font selected on entry (the device's default font), then selects the
// plot's variable-pitch font and measures the rest in it.
PanelLayout MeasurePanel(ui::Canvas& canvas, ui::Rect client, const TextLookup& text);

// The leftmost pixel of the panel: its headings, or its tables when a feature is shown.
int32_t PanelLeftEdge(const ui::Canvas& canvas, const PanelLayout& panel, const PaintInput& input,
                      const TextLookup& text);

void DrawHeadings(ui::Canvas& canvas, const PanelLayout& panel, const PaintInput& input,
                  const TextLookup& text);
// Block 1 (nominal diameter, ring and tick intervals); returns the top of its third line.
int32_t DrawLegendBlock(ui::Canvas& canvas, const PanelLayout& panel, const PaintInput& input,
                        const TextLookup& text);
void DrawColourKey(ui::Canvas& canvas, const PanelLayout& panel, int32_t blockY,
                   const PaintInput& input, const TextLookup& text);
void DrawLocationTable(ui::Canvas& canvas, const PanelLayout& panel, const PaintInput& input,
                       const TextLookup& text);
void DrawResultsTable(ui::Canvas& canvas, const PanelLayout& panel, const PaintInput& input,
                      const TextLookup& text);

// A value with a fixed number of decimals (1 to 5; any other count gives 4), independent of
// the process locale. Nothing when the text would be longer than 120 characters.
std::optional<std::string> FormatDecimals(double value, int32_t decimals);

}  // namespace ombrixdc::paint
