#include "tools/ombrixdc/sweep_chart.h"
#include "tools/ombrixdc/chart_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "src/component/view_module_loader.h"

namespace {

constexpr ui::Rgb kBlack{0, 0, 0};
constexpr ui::Rgb kGrid{220, 220, 220};
constexpr ui::Rgb kDynamic{255, 0, 0};   // the fast scan's colour in the Radial Error View
constexpr ui::Rgb kResidual{0, 160, 0};  // the corrected scan's, darkened to read on white
constexpr ui::Rgb kLimit{0, 160, 160};
constexpr ui::Rgb kRecommended{0, 0, 255};

std::string TickText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// Maps speeds and microns onto the plot rectangle.
struct Axes {
  ui::Rect plot;
  double xTop, yTop;
  ui::Point At(double speed, double microns) const {
    return {plot.left + static_cast<int32_t>(std::lround(speed / xTop * plot.Width())),
            plot.bottom - static_cast<int32_t>(std::lround(microns / yTop * plot.Height()))};
  }
};

void Line(ui::Canvas& canvas, ui::Point from, ui::Point to) {
  canvas.MoveTo(from);
  canvas.LineTo(to);
}

void DrawGridAndLabels(ui::Canvas& canvas, const Axes& axes, double xStep, double yStep) {
  canvas.SelectFont(ui::Font::VariablePitch);
  canvas.SetTextColour(kBlack);
  for (double x = 0.0; x <= axes.xTop * (1 + 1e-9); x += xStep) {
    const ui::Point p = axes.At(x, 0.0);
    canvas.SelectPen({kGrid, 1, ui::LineStyle::Solid});
    Line(canvas, p, {p.x, axes.plot.top});
    const std::string text = TickText(x);
    canvas.TextOut({p.x - canvas.TextExtent(text).width / 2, p.y + 6}, text);
  }
  for (double y = 0.0; y <= axes.yTop * (1 + 1e-9); y += yStep) {
    const ui::Point p = axes.At(0.0, y);
    canvas.SelectPen({kGrid, 1, ui::LineStyle::Solid});
    Line(canvas, p, {axes.plot.right, p.y});
    const std::string text = TickText(y);
    const ui::Size size = canvas.TextExtent(text);
    canvas.TextOut({p.x - size.width - 6, p.y - size.height / 2}, text);
  }
  canvas.SelectPen({kBlack, 1, ui::LineStyle::Solid});
  Line(canvas, {axes.plot.left, axes.plot.top}, {axes.plot.left, axes.plot.bottom});
  Line(canvas, {axes.plot.left, axes.plot.bottom}, {axes.plot.right, axes.plot.bottom});
  const std::string xTitle = "fast speed (mm/s)";
  canvas.TextOut({(axes.plot.left + axes.plot.right - canvas.TextExtent(xTitle).width) / 2,
                  axes.plot.bottom + 28},
                 xTitle);
  canvas.TextOut({8, axes.plot.top - 26}, "error (um, peak to valley against the slow scan)");
}

// One series: a line through the measured speeds with a small circle on each.
void DrawSeries(ui::Canvas& canvas, const Axes& axes, const std::vector<SweepRow>& rows,
                double SweepRow::*value, ui::Rgb colour) {
  canvas.SelectPen({colour, 2, ui::LineStyle::Solid});
  bool started = false;
  for (const SweepRow& row : rows) {
    if (!row.Measured() || !std::isfinite(row.*value)) {
      continue;
    }
    const ui::Point p = axes.At(row.fastSpeed, row.*value);
    if (started) {
      canvas.LineTo(p);
    } else {
      canvas.MoveTo(p);
      started = true;
    }
  }
  for (const SweepRow& row : rows) {
    if (row.Measured() && std::isfinite(row.*value)) {
      const ui::Point p = axes.At(row.fastSpeed, row.*value);
      canvas.Circle({p.x - 4, p.y - 4, p.x + 5, p.y + 5});
    }
  }
}

void DrawLegendEntry(ui::Canvas& canvas, ui::Point at, const ui::Pen& pen,
                     const std::string& text) {
  canvas.SelectPen(pen);
  Line(canvas, {at.x, at.y + 7}, {at.x + 28, at.y + 7});
  canvas.TextOut({at.x + 36, at.y}, text);
}

}  // namespace

void PaintSweepChart(ui::Canvas& canvas, ui::Rect client, const std::vector<SweepRow>& rows,
                     double limitUm, std::optional<size_t> recommended) {
  double xMax = 0.0;
  double yMax = std::isfinite(limitUm) ? limitUm : 0.0;
  for (const SweepRow& row : rows) {
    if (row.Measured()) {
      xMax = std::max(xMax, row.fastSpeed);
      for (const double v : {row.dynamicUm, row.residualUm}) {
        yMax = std::isfinite(v) ? std::max(yMax, v) : yMax;
      }
    }
  }
  const double xStep = TickStep(xMax > 0.0 ? xMax * 1.05 : 10.0, 8);
  const double yStep = TickStep(yMax > 0.0 ? yMax * 1.1 : 1.0, 6);
  Axes axes{{client.left + 70, client.top + 50, client.right - 24, client.bottom - 96}, 0.0, 0.0};
  axes.xTop = xStep * std::ceil((xMax > 0.0 ? xMax * 1.05 : 10.0) / xStep);
  axes.yTop = yStep * std::ceil((yMax > 0.0 ? yMax * 1.1 : 1.0) / yStep);

  DrawGridAndLabels(canvas, axes, xStep, yStep);
  if (std::isfinite(limitUm)) {
    canvas.SelectPen({kLimit, 2, ui::LineStyle::Solid});
    Line(canvas, axes.At(0.0, limitUm), axes.At(axes.xTop, limitUm));
  }
  if (recommended) {
    canvas.SelectPen({kRecommended, 1, ui::LineStyle::Dotted});
    const double speed = rows[*recommended].fastSpeed;
    Line(canvas, axes.At(speed, 0.0), axes.At(speed, axes.yTop));
  }
  DrawSeries(canvas, axes, rows, &SweepRow::dynamicUm, kDynamic);
  DrawSeries(canvas, axes, rows, &SweepRow::residualUm, kResidual);

  const int32_t legendTop = client.bottom - 40;
  char limitText[64];
  std::snprintf(limitText, sizeof limitText, "limit %.3f um", limitUm);
  DrawLegendEntry(canvas, {client.left + 20, legendTop}, {kDynamic, 2, ui::LineStyle::Solid},
                  "dynamic error (fast scan)");
  DrawLegendEntry(canvas, {client.left + 250, legendTop}, {kResidual, 2, ui::LineStyle::Solid},
                  "compensated residual");
  DrawLegendEntry(canvas, {client.left + 20, legendTop + 18}, {kLimit, 2, ui::LineStyle::Solid},
                  limitText);
  if (recommended) {
    DrawLegendEntry(canvas, {client.left + 250, legendTop + 18},
                    {kRecommended, 1, ui::LineStyle::Dotted},
                    "recommended " + TickText(rows[*recommended].fastSpeed) + " mm/s");
  }
}

bool WriteSweepChart(const std::string& path, const std::vector<SweepRow>& rows, double limitUm,
                     std::optional<size_t> recommended, std::string* whyNot) {
  const ombrixdc::ViewModule* view = ombrixdc::LoadViewModule(whyNot);
  return view && view->renderToFile(
                     path, kSweepChartSize,
                     [&](ui::Canvas& canvas, ui::Rect client) {
                       PaintSweepChart(canvas, client, rows, limitUm, recommended);
                     },
                     whyNot);
}
