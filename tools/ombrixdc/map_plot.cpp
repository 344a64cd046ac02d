#include "tools/ombrixdc/map_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "src/component/view_module_loader.h"
#include "tools/ombrixdc/chart_ticks.h"
#include "tools/ombrixdc/number_text.h"

using namespace ombrixdc;

namespace {

constexpr ui::Size kPictureSize{900, 640};
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kMicrometresPerMillimetre = 1000.0;
constexpr double kMicrometresPerInch = 25400.0;

const ui::Rgb kBlack{0, 0, 0};
const ui::Rgb kGrid{210, 210, 210};
const ui::Rgb kCorrectionColour{0, 128, 0};
const ui::Rgb kSlowColour{0, 0, 200};
const ui::Rgb kFastColour{200, 0, 0};

// Angle in degrees from 0 to 360 and a value in micrometres, ordered by angle.
using Curve = std::vector<std::pair<double, double>>;

Curve CurveOf(const CMaDoubleArray& angles, const CMaDoubleArray& values, double offset,
              double toMicrometres) {
  Curve curve;
  for (std::size_t i = 0; i < std::min(angles.GetSize(), values.GetSize()); ++i) {
    const double degrees = std::fmod(angles[i] * kDegreesPerRadian, 360.0);
    curve.emplace_back(degrees < 0.0 ? degrees + 360.0 : degrees,
                       (values[i] - offset) * toMicrometres);
  }
  std::sort(curve.begin(), curve.end());
  return curve;
}

struct Series {
  Curve curve;
  ui::Rgb colour;
  const char* name;
};

std::string TickText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", std::abs(value) < 1e-9 ? 0.0 : value);
  return text;
}

// One framed plot of the series against angle (0 to 360 degrees) in `box`.
void DrawPanel(ui::Canvas& canvas, ui::Rect box, const std::string& title,
               const std::string& yLabel, const std::vector<Series>& series) {
  double low = 0.0, high = 0.0;
  for (const Series& s : series) {
    for (const auto& [angle, value] : s.curve) {
      low = std::min(low, value);
      high = std::max(high, value);
    }
  }
  const double yStep = TickStep(std::max(high - low, 0.01), 6);
  low = std::floor(low / yStep) * yStep;
  high = std::max(std::ceil(high / yStep) * yStep, low + yStep);

  const ui::Rect plot{box.left + 70, box.top + 50, box.right - 20, box.bottom - 45};
  const auto x = [&](double degrees) {
    return plot.left + static_cast<int32_t>(std::lround(degrees / 360.0 * plot.Width()));
  };
  const auto y = [&](double value) {
    return plot.bottom -
           static_cast<int32_t>(std::lround((value - low) / (high - low) * plot.Height()));
  };

  canvas.SelectFont(ui::Font::VariablePitch);
  canvas.SetTextColour(kBlack);
  canvas.TextOut({box.left + 10, box.top + 6}, title);
  canvas.SelectPen({kGrid, 1, ui::LineStyle::Solid});
  for (double degrees = 0.0; degrees <= 360.0; degrees += 45.0) {
    canvas.MoveTo({x(degrees), plot.top});
    canvas.LineTo({x(degrees), plot.bottom});
    const std::string text = TickText(degrees);
    const ui::Size extent = canvas.TextExtent(text);
    canvas.TextOut({x(degrees) - extent.width / 2, plot.bottom + 4}, text);
  }
  for (double value = low; value <= high + yStep / 2; value += yStep) {
    canvas.MoveTo({plot.left, y(value)});
    canvas.LineTo({plot.right, y(value)});
    const std::string text = TickText(value);
    const ui::Size extent = canvas.TextExtent(text);
    canvas.TextOut({plot.left - 6 - extent.width, y(value) - extent.height / 2}, text);
  }
  const std::string xLabel = "Angle (degrees, from the feature's +X axis)";
  const ui::Size xExtent = canvas.TextExtent(xLabel);
  canvas.TextOut({(plot.left + plot.right - xExtent.width) / 2, plot.bottom + 22}, xLabel);
  canvas.TextOut({box.left + 10, plot.top - 20}, yLabel);

  canvas.SelectPen({kBlack, 1, ui::LineStyle::Solid});
  const ui::Point frame[] = {{plot.left, plot.top},
                             {plot.right, plot.top},
                             {plot.right, plot.bottom},
                             {plot.left, plot.bottom},
                             {plot.left, plot.top}};
  canvas.MoveTo(frame[0]);
  for (const ui::Point& p : frame) {
    canvas.LineTo(p);
  }

  int32_t legendX = plot.right - 10;
  for (auto s = series.rbegin(); s != series.rend(); ++s) {
    const ui::Size extent = canvas.TextExtent(s->name);
    legendX -= extent.width + 34;
    canvas.SelectPen({s->colour, 2, ui::LineStyle::Solid});
    canvas.MoveTo({legendX, plot.top - 12});
    canvas.LineTo({legendX + 24, plot.top - 12});
    canvas.SetTextColour(s->colour);
    canvas.TextOut({legendX + 28, plot.top - 20}, s->name);
  }
  canvas.SetTextColour(kBlack);
  for (const Series& s : series) {
    canvas.SelectPen({s.colour, 1, ui::LineStyle::Solid});
    bool first = true;
    for (const auto& [angle, value] : s.curve) {
      const ui::Point p{x(angle), y(value)};
      if (first) {
        canvas.MoveTo(p);
        first = false;
      } else {
        canvas.LineTo(p);
      }
    }
  }
}

}  // namespace

bool WriteMapPlot(const StoredMap& map, const std::string& path, std::string* whyNot) {
  const MapFileHeader& h = map.header;
  const double toMicrometres =
      h.measuringUnit == 1 ? kMicrometresPerInch : kMicrometresPerMillimetre;
  const MapSlot& dcMap = map.slots[MapSlotIndex::DcMapData];
  const DataSet& slow = map.circleData.slow;
  // DcMapData is Slow - Fast on the grid, so the fast profile is Slow - DcMapData.
  CMaDoubleArray fast = slow.radii;
  for (std::size_t i = 0; i < std::min(fast.GetSize(), dcMap.values.GetSize()); ++i) {
    fast[i] -= dcMap.values[i];
  }
  double mean = 0.0;
  for (const double r : slow.radii) {
    mean += r / static_cast<double>(slow.radii.GetSize());
  }
  const std::vector<Series> correction = {{CurveOf(dcMap.angles, dcMap.values, 0.0, toMicrometres),
                                           kCorrectionColour, "Correction (Slow - Fast)"}};
  const std::vector<Series> profiles = {
      {CurveOf(slow.angles, slow.radii, mean, toMicrometres), kSlowColour, "Slow (reference)"},
      {CurveOf(slow.angles, fast, mean, toMicrometres), kFastColour, "Fast"}};
  const std::string title = "Map " + std::to_string(map.mapNumber) + ": " +
                            (h.boreOrBoss == 1 ? "boss" : "bore") + " radius " +
                            ShortestText(h.radius) + (h.measuringUnit == 1 ? " in" : " mm") + ", " +
                            (h.scanDirection == 1 ? "anticlockwise" : "clockwise") + ", speeds " +
                            ShortestText(h.slowSpeed) + " / " + ShortestText(h.fastSpeed) +
                            ", filter " + std::to_string(h.filterMethod) + " number " +
                            std::to_string(h.filterNumber) + ", pitch " + ShortestText(h.mapPitch);
  char meanText[32];
  std::snprintf(meanText, sizeof meanText, "%.4f", mean);
  const std::string profileTitle = std::string(
                                       "Profiles it was learnt from, about the slow "
                                       "profile's mean radius ") +
                                   meanText + (h.measuringUnit == 1 ? " in" : " mm");

  const ViewModule* view = LoadViewModule(whyNot);
  return view && view->renderToFile(
                     path, kPictureSize,
                     [&](ui::Canvas& canvas, ui::Rect client) {
                       const int32_t middle = client.top + client.Height() / 2;
                       DrawPanel(canvas, {client.left, client.top, client.right, middle}, title,
                                 "Correction (micrometres)", correction);
                       DrawPanel(canvas, {client.left, middle, client.right, client.bottom},
                                 profileTitle, "Radius deviation (micrometres)", profiles);
                     },
                     whyNot);
}
