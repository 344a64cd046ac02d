// The polar plot: the measured circle as radial errors around the nominal circle.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "src/viewer/paint_parts.h"

namespace ombrixdc::paint {

namespace {

constexpr ui::Pen kGridPen{kGridGrey, 0, ui::LineStyle::Solid};
constexpr ui::Pen kRingPen{kGridGrey, 0, ui::LineStyle::Dotted};
constexpr std::array<ui::Rgb, 3> kCurveColours{kReferenceBlue, kFastRed, kCorrectedGreen};

// Device coordinates stay far inside what every surface can draw: a wild point (a radius of
// metres on a micron scale) lands off the window, not in undefined behaviour.
constexpr double kCoordinateLimit = 1 << 22;
// The least gap between the plot's labels and the window's left edge or the panel.
constexpr int32_t kPlotMargin = 4;

int32_t Trunc(double value) {
  if (std::isnan(value)) {
    return 0;
  }
  return static_cast<int32_t>(std::trunc(std::clamp(value, -kCoordinateLimit, kCoordinateLimit)));
}

void Line(ui::Canvas& canvas, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  canvas.MoveTo({x0, y0});
  canvas.LineTo({x1, y1});
}

// The reference set of the view, 0 (metrology) or 3 (normalised).
std::size_t FirstSetOfView(const PaintInput& input) {
  return input.MetrologyView ? 0 : 3;
}

}  // namespace

ui::Rgb RepeatabilityColour(double SlowSpeedRepeatability) {
  return SlowSpeedRepeatability != 0.0 ? ui::Rgb{192, 255, 255} : ui::Rgb{192, 192, 192};
}

ui::Rgb RepeatabilityTextColour(double SlowSpeedRepeatability) {
  return SlowSpeedRepeatability != 0.0 ? ui::Rgb{0, 255, 255} : ui::Rgb{128, 128, 128};
}

PlotGeometry ComputePlotGeometry(ui::Rect client, ui::Size labelSize, int32_t panelLeft) {
  PlotGeometry g;
  const int32_t labelHeight = labelSize.height;
  g.cx = (client.left + client.right + 1) / 2 - 150;
  g.cy = (client.top + client.bottom + 6) / 2 + 20;
  g.R = std::min(client.right - client.left - 3, client.bottom - client.top - 54) / 2 - 42;
  // A tall or narrow window has less room across than the height gives: the "- X" label
  // stays inside the left edge and the "+ X" label clear of the panel.
  const int32_t leftRoom = g.cx - labelHeight / 2 - client.left - kPlotMargin;
  const int32_t rightRoom = panelLeft - kPlotMargin - (g.cx - labelHeight / 2 + labelSize.width);
  g.R = std::max(0, std::min({g.R, leftRoom, rightRoom}));
  g.h = labelHeight;
  g.h2 = labelHeight / 2;
  g.L = g.R - g.h;
  g.P = g.L - g.h2;
  g.b = g.P / 2;
  g.q = (g.P - g.b) / 6;
  g.base = g.b + 3.0 * g.q;
  return g;
}

std::optional<int32_t> RingInterval(int32_t RingIndex) {
  if (RingIndex < 0 || RingIndex >= kRingCount) {
    return std::nullopt;
  }
  return kRingIntervals[static_cast<std::size_t>(RingIndex)];
}

ui::Point MapError(const PlotGeometry& g, double e, double interval, double theta) {
  // A large negative error gives a negative rho: the point passes through the centre to the
  // opposite side, as the scale says.
  const double rho = e * g.q / interval + g.base;
  const double x = g.cx + std::cos(theta) * rho;
  const double y = g.cy - std::sin(theta) * rho;
  // A value that is not a number (a damaged file) has no place: it is drawn at the centre.
  if (std::isnan(x) || std::isnan(y)) {
    return {g.cx, g.cy};
  }
  return {Trunc(x), Trunc(y)};
}

ui::Point MapPoint(const PlotGeometry& g, double radius0, double interval, double r, double theta) {
  return MapError(g, (r - radius0) * 1000.0, interval, theta);
}

void DrawRepeatabilityBand(ui::Canvas& canvas, const PlotGeometry& g, const PaintInput& input) {
  const auto interval = RingInterval(input.RingIndex);
  const ViewerDataSet& reference = input.data.sets[FirstSetOfView(input)];
  const std::size_t n = std::min(reference.radii.size(), reference.angles.size());
  if (!interval || n == 0) {
    return;
  }
  const double radius0 = input.data.sets[0].radius;
  const double w =
      input.SlowSpeedRepeatability != 0.0 ? input.SlowSpeedRepeatability * 1000.0 : 1.0;
  // Every second point is enough for the band's outline.
  const std::size_t m = n / 2 + n % 2;
  std::array<std::vector<ui::Point>, 2> outline;
  outline[0].reserve(m);
  outline[1].reserve(m);
  for (std::size_t i = 0; i < n; i += 2) {
    const double e = (reference.radii[i] - radius0) * 1000.0;
    outline[0].push_back(MapError(g, e - w, *interval, reference.angles[i]));
    outline[1].push_back(MapError(g, e + w, *interval, reference.angles[i]));
  }
  const ui::Rgb colour = RepeatabilityColour(input.SlowSpeedRepeatability);
  canvas.SelectPen({colour, 4, ui::LineStyle::Solid});
  canvas.SelectBrush(colour);
  canvas.PolyPolygon(outline);
}

void DrawAxesAndGrid(ui::Canvas& canvas, const PlotGeometry& g, int32_t ShowGrid) {
  const int32_t cx = g.cx, cy = g.cy, h2 = g.h2;
  canvas.SetTextColour(kBlack);
  canvas.TextOut({cx - h2 - g.R, cy - h2}, "- X");
  canvas.TextOut({cx - h2 + g.R, cy - h2}, "+ X");
  canvas.TextOut({cx - h2, cy - g.R}, "+ Y");
  canvas.TextOut({cx - h2, cy - 2 * h2 + g.R}, "- Y");
  canvas.SelectPen(kGridPen);
  Line(canvas, cx - g.L, cy, cx + g.L, cy);
  Line(canvas, cx, cy - g.L, cx, cy + g.L);
  if (!ShowGrid) {
    return;
  }
  const int32_t f = g.P / 4;
  const int32_t t = (5 * g.P) / 6;
  Line(canvas, cx - f, cy - f, cx - t, cy - t);
  Line(canvas, cx - f, cy + f, cx - t, cy + t);
  Line(canvas, cx + f, cy - f, cx + t, cy - t);
  Line(canvas, cx + f, cy + f, cx + t, cy + t);
  // Ticks across the diagonals every half ring, from one and a half rings inside the
  // innermost ring outwards.
  int32_t s = g.b - g.q / 2 - g.q;
  for (int32_t tick = 0; tick < 20; ++tick, s += g.q / 2) {
    const int32_t d = Trunc(s / std::sqrt(2.0));
    Line(canvas, cx - d - 4, cy - d + 4, cx - d + 4, cy - d - 4);
    Line(canvas, cx + d - 4, cy + d + 4, cx + d + 4, cy + d - 4);
    Line(canvas, cx - d - 4, cy + d - 4, cx - d + 4, cy + d + 4);
    Line(canvas, cx + d - 4, cy - d - 4, cx + d + 4, cy - d + 4);
  }
  canvas.SelectPen(kRingPen);
  for (int32_t k = 0; k < 7; ++k) {
    const int32_t r = g.b + k * g.q;
    canvas.Circle({cx - r, cy - r, cx + r, cy + r});
  }
}

void DrawCurves(ui::Canvas& canvas, const PlotGeometry& g, const PaintInput& input) {
  const auto interval = RingInterval(input.RingIndex);
  if (!interval) {
    return;
  }
  const double radius0 = input.data.sets[0].radius;
  const std::array<int32_t, 3> shown{input.ShowReference, input.ShowFast, input.ShowCorrected};
  const std::size_t first = FirstSetOfView(input);
  for (std::size_t j = 0; j < 3; ++j) {
    const ViewerDataSet& set = input.data.sets[first + j];
    const std::size_t n = std::min(set.radii.size(), set.angles.size());
    if (!shown[j] || n == 0) {
      continue;
    }
    canvas.SelectPen({kCurveColours[j], 2, ui::LineStyle::Solid});
    canvas.MoveTo(MapPoint(g, radius0, *interval, set.radii[0], set.angles[0]));
    for (std::size_t i = 1; i < n; ++i) {
      canvas.LineTo(MapPoint(g, radius0, *interval, set.radii[i], set.angles[i]));
    }
  }
}

void DrawScanDirectionArrow(ui::Canvas& canvas, const PlotGeometry& g, int32_t ScanDirection) {
  // On the outermost ring at the top; the tip points the way the probe travels there.
  const int32_t ya = g.cy - Trunc(3.0 * g.q + g.base);
  const int32_t s = ScanDirection != 0 ? -3 : 3;
  const std::array<ui::Point, 3> head{ui::Point{g.cx - 10 * s, ya}, ui::Point{g.cx - 5 * s, ya - 4},
                                      ui::Point{g.cx - 5 * s, ya + 4}};
  canvas.SelectPen(kBlackPen);
  canvas.SelectBrush(kBlack);
  canvas.Polygon(head);
  Line(canvas, g.cx, ya, g.cx - 10 * s, ya);
}

void DrawNominalCircle(ui::Canvas& canvas, const PlotGeometry& g) {
  canvas.SelectPen(kBlackPen);
  canvas.Circle(
      {Trunc(g.cx - g.base), Trunc(g.cy - g.base), Trunc(g.cx + g.base), Trunc(g.cy + g.base)});
}

}  // namespace ombrixdc::paint
