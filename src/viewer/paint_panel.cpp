// The legend and results panel on the right of the plot: title, scale block, colour key, the
// feature's location and the results of the three scans.
#include <algorithm>
#include <array>
#include <charconv>
#include <initializer_list>

#include "platform/trivell/geometry.h"
#include "src/viewer/paint_parts.h"

namespace ombrixdc::paint {

namespace {

constexpr std::size_t kMaxNumberLength = 120;
constexpr double kMillimetresPerInch = 25.4;

int32_t Width(const ui::Canvas& canvas, std::string_view text) {
  return canvas.TextExtent(text).width;
}

int32_t WidestOf(const ui::Canvas& canvas, const TextLookup& text,
                 std::initializer_list<int32_t> ids) {
  int32_t widest = 0;
  for (int32_t id : ids) {
    widest = std::max(widest, Width(canvas, text(id)));
  }
  return widest;
}

void Line(ui::Canvas& canvas, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  canvas.MoveTo({x0, y0});
  canvas.LineTo({x1, y1});
}

// A heading in the selected font with a rule 20 pixels below its top.
void Underlined(ui::Canvas& canvas, int32_t x, int32_t y, const std::string& heading) {
  canvas.TextOut({x, y}, heading);
  Line(canvas, x, y + 20, x + Width(canvas, heading), y + 20);
}

// A number for a cell, or the not-available text when it cannot be shown in a cell's text.
std::string Number(double value, int32_t decimals, const TextLookup& text) {
  auto formatted = FormatDecimals(value, decimals);
  return formatted ? *formatted : text(33119);
}

std::string UnitText(const PaintInput& input, const TextLookup& text) {
  return text(input.data.MeasuringUnit == 1 ? 33202 : 33203);
}

// A length for the tables: mm with `mmDecimals`, or inches with `inchDecimals`.
std::string Length(const PaintInput& input, double mm, int32_t mmDecimals, int32_t inchDecimals,
                   const TextLookup& text) {
  if (input.data.MeasuringUnit == 1) {
    return Number(mm / kMillimetresPerInch, inchDecimals, text);
  }
  return Number(mm, mmDecimals, text);
}

// A table of three number columns of width c starting at x0, with a label column of width c0
// before them.
struct Table {
  int32_t x0 = 0, c = 0, c0 = 0;
  void Heading(ui::Canvas& canvas, int32_t column, int32_t y, const std::string& heading) const {
    canvas.TextOut({x0 + column * c + (c - Width(canvas, heading)) / 2, y}, heading);
  }
  void Label(ui::Canvas& canvas, int32_t y, const std::string& label) const {
    canvas.TextOut({x0 - c0 + 10, y}, label);
  }
  // Right-aligned, ending 10 pixels before the column's right edge.
  void Value(ui::Canvas& canvas, int32_t column, int32_t y, const std::string& value) const {
    canvas.TextOut({x0 + (column + 1) * c - 10 - Width(canvas, value), y}, value);
  }
  void Rule(ui::Canvas& canvas, int32_t y) const { Line(canvas, x0 - c0, y, x0 + 3 * c, y); }
  void ColumnLines(ui::Canvas& canvas, int32_t yt, int32_t yb) const {
    for (int32_t k = 0; k <= 3; ++k) {
      Line(canvas, x0 + k * c, yt, x0 + k * c, yb);
    }
  }
};

// The location table's values, row by row (centre, y axis, normal), X, Y and Z in each row.
std::array<std::string, 9> LocationValues(const PaintInput& input, const TextLookup& text) {
  const ViewerDataSets& data = input.data;
  // The feature's y axis completes its frame: Normal x Xaxis.
  const CMaVector yAxis = CrossProduct(data.Normal, data.Xaxis);
  const std::array<double, 3> centre{data.Centre.x(), data.Centre.y(), data.Centre.z()};
  const std::array<double, 3> normal{data.Normal.x(), data.Normal.y(), data.Normal.z()};
  std::array<std::string, 9> values;
  for (int32_t k = 0; k < 3; ++k) {
    const auto i = static_cast<std::size_t>(k);
    values[i] = Length(input, centre[i], 1, 2, text);
    values[3 + i] = Number(yAxis[k], 3, text);
    values[6 + i] = Number(normal[i], 3, text);
  }
  return values;
}

// The columns hold "9999.99"; a centre further out widens them up to nine digits before the
// point. A value wider still shows the not-available text rather than run into its neighbour.
Table LocationTable(const ui::Canvas& canvas, const PanelLayout& panel, const PaintInput& input,
                    const TextLookup& text, std::array<std::string, 9>* shown = nullptr) {
  const std::string unit = UnitText(input, text);
  Table table;
  table.c0 = std::max({Width(canvas, text(33117)), Width(canvas, text(33118)),
                       Width(canvas, text(33116) + "(" + unit + ")")}) +
             20;
  std::array<std::string, 9> values = LocationValues(input, text);
  const int32_t widest = Width(canvas, "-999999999.99");
  int32_t room = Width(canvas, "9999.99");
  for (std::string& value : values) {
    if (Width(canvas, value) > widest) {
      value = text(33119);
    }
    room = std::max(room, Width(canvas, value));
  }
  table.c = room + 20;
  table.x0 = panel.right - 3 * table.c - 20;
  if (shown) {
    *shown = std::move(values);
  }
  return table;
}

Table ResultsTable(const ui::Canvas& canvas, const PanelLayout& panel, const PaintInput& input,
                   const TextLookup& text) {
  const std::string speedUnit = UnitText(input, text) + "/" + text(33204);
  Table table;
  table.c0 = std::max({Width(canvas, text(33113)), Width(canvas, text(33114)),
                       Width(canvas, text(33115) + "(" + speedUnit + ")")}) +
             20;
  table.c = std::max(WidestOf(canvas, text, {33016, 33017, 33018}), Width(canvas, "999.9999")) + 20;
  table.x0 = panel.right - 3 * table.c - 20;
  return table;
}

}  // namespace

int32_t PanelLeftEdge(const ui::Canvas& canvas, const PanelLayout& panel, const PaintInput& input,
                      const TextLookup& text) {
  if (input.data.FeatureRadius <= 0.0) {
    return panel.left;
  }
  const Table location = LocationTable(canvas, panel, input, text);
  const Table results = ResultsTable(canvas, panel, input, text);
  return std::min({panel.left, location.x0 - location.c0, results.x0 - results.c0});
}

std::optional<std::string> FormatDecimals(double value, int32_t decimals) {
  if (decimals < 1 || decimals > 5) {
    decimals = 4;
  }
  // Room for any double in fixed notation; what is longer than a cell's text is refused.
  std::array<char, 400> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) {
    return std::nullopt;
  }
  const auto length = static_cast<std::size_t>(result.ptr - buffer.data());
  if (length > kMaxNumberLength) {
    return std::nullopt;
  }
  return std::string(buffer.data(), length);
}

PanelLayout MeasurePanel(ui::Canvas& canvas, ui::Rect client, const TextLookup& text) {
  const int32_t wLoc = Width(canvas, text(33112));
  canvas.SelectFont(ui::Font::VariablePitch);
  PanelLayout panel;
  panel.h = canvas.TextExtent(text(33098)).height;
  const int32_t wA = WidestOf(canvas, text, {33105, 33106, 33107, 33108, 33109});
  const int32_t wB = WidestOf(canvas, text, {33098, 33099, 33100});
  const int32_t width = std::max(wA + wB, wLoc) + 20;
  panel.left = client.right - width;
  panel.valueX = panel.left + wB + Width(canvas, ": ");
  panel.bottom = client.bottom;
  panel.right = client.right;
  return panel;
}

void DrawHeadings(ui::Canvas& canvas, const PanelLayout& panel, const PaintInput& input,
                  const TextLookup& text) {
  canvas.SelectFont(ui::Font::System);
  canvas.SetTextColour(kBlack);
  canvas.SelectPen(kBlackPen);
  Underlined(canvas, panel.left, 45, text(33097));
  if (input.data.FeatureRadius > 0.0) {
    Underlined(canvas, panel.left, panel.bottom - 305, text(33112));
    Underlined(canvas, panel.left, panel.bottom - 173, text(input.MetrologyView ? 33110 : 33111));
  }
  canvas.SelectFont(ui::Font::VariablePitch);
}

int32_t DrawLegendBlock(ui::Canvas& canvas, const PanelLayout& panel, const PaintInput& input,
                        const TextLookup& text) {
  const int32_t interval = RingInterval(input.RingIndex).value_or(kRingIntervals[0]);
  const double diameter = 2.0 * input.data.FeatureRadius;
  std::array<std::string, 3> values;
  if (input.data.MeasuringUnit == 1) {
    const std::string inches = std::string(" ").append(text(33202));
    values[0] = Number(diameter / kMillimetresPerInch, 5, text) + inches;
    values[1] = Number(interval / kMillimetresPerInch * 0.001, 5, text) + inches;
    values[2] = Number(interval / kMillimetresPerInch * 0.0005, 5, text) + inches;
  } else {
    const std::string microns = std::string(" ").append(text(33201));
    values[0] = Number(diameter, 3, text) + " " + text(33203);
    values[1] = std::to_string(interval) + microns;
    // Ticks are half a ring apart: 2.5 microns for 5-micron rings.
    values[2] =
        (interval % 2 == 0 ? std::to_string(interval / 2) : Number(interval * 0.5, 1, text)) +
        microns;
  }
  canvas.SetTextColour(kBlack);
  int32_t y = 75;
  for (int32_t line = 0; line < 3; ++line) {
    if (line > 0) {
      y += panel.h;
    }
    canvas.TextOut({panel.left, y}, text(33098 + line) + ":");
    canvas.TextOut({panel.valueX, y}, values[static_cast<std::size_t>(line)]);
  }
  return y;
}

void DrawColourKey(ui::Canvas& canvas, const PanelLayout& panel, int32_t blockY,
                   const PaintInput& input, const TextLookup& text) {
  struct Row {
    ui::Pen pen;
    ui::Rgb textColour;
  };
  const double repeatability = input.SlowSpeedRepeatability;
  const std::array<Row, 5> rows{Row{kBlackPen, kBlack},
                                Row{{kReferenceBlue, 2, ui::LineStyle::Solid}, kReferenceBlue},
                                Row{{kFastRed, 2, ui::LineStyle::Solid}, kFastRed},
                                Row{{kCorrectedGreen, 2, ui::LineStyle::Solid}, kCorrectedGreen},
                                Row{{RepeatabilityColour(repeatability), 4, ui::LineStyle::Solid},
                                    RepeatabilityTextColour(repeatability)}};
  int32_t y = blockY + (3 * panel.h) / 2;
  for (std::size_t i = 0; i < rows.size(); ++i, y += panel.h) {
    canvas.SelectPen(rows[i].pen);
    Line(canvas, panel.left, y + panel.h / 2, panel.valueX - 20, y + panel.h / 2);
    canvas.SetTextColour(rows[i].textColour);
    canvas.TextOut({panel.valueX, y}, text(33105 + static_cast<int32_t>(i)));
  }
  canvas.SetTextColour(kBlack);
  canvas.SelectPen(kBlackPen);
}

void DrawLocationTable(ui::Canvas& canvas, const PanelLayout& panel, const PaintInput& input,
                       const TextLookup& text) {
  const int32_t h = panel.h;
  const std::string unit = UnitText(input, text);
  const std::string centreLabel = text(33116) + " (" + unit + ")";
  std::array<std::string, 9> values;
  const Table table = LocationTable(canvas, panel, input, text, &values);

  canvas.SetTextColour(kBlack);
  canvas.SelectPen(kBlackPen);
  const int32_t yt = panel.bottom - 310 + (5 * h) / 2;
  Line(canvas, table.x0, yt, table.x0 + 3 * table.c, yt);
  const int32_t yh = yt + h / 2;
  for (int32_t k = 0; k < 3; ++k) {
    table.Heading(canvas, k, yh, std::string(1, static_cast<char>('X' + k)));
  }
  table.Rule(canvas, yh + (3 * h) / 2 - 5);

  const int32_t y1 = yh + (3 * h) / 2;
  table.Label(canvas, y1, centreLabel);
  table.Label(canvas, y1 + h, text(33117));
  table.Label(canvas, y1 + 2 * h, text(33118));
  for (int32_t k = 0; k < 3; ++k) {
    const auto i = static_cast<std::size_t>(k);
    table.Value(canvas, k, y1, values[i]);
    table.Value(canvas, k, y1 + h, values[3 + i]);
    table.Value(canvas, k, y1 + 2 * h, values[6 + i]);
  }
  const int32_t yb = y1 + 2 * h + h + 5;
  table.Rule(canvas, yb);
  Line(canvas, table.x0 - table.c0, yt + 2 * h - 5, table.x0 - table.c0, yb);
  table.ColumnLines(canvas, yt, yb);
}

void DrawResultsTable(ui::Canvas& canvas, const PanelLayout& panel, const PaintInput& input,
                      const TextLookup& text) {
  const ViewerDataSets& data = input.data;
  const int32_t h = panel.h;
  const std::string unit = UnitText(input, text);
  const std::string speedUnit = unit + "/" + text(33204);
  const Table table = ResultsTable(canvas, panel, input, text);

  canvas.SetTextColour(kBlack);
  canvas.SelectPen(kBlackPen);
  const int32_t yt = panel.bottom - 138;
  Line(canvas, table.x0, yt, table.x0 + 3 * table.c, yt);
  const int32_t yh = yt + h / 2;
  for (int32_t k = 0; k < 3; ++k) {
    table.Heading(canvas, k, yh, text(33016 + k));
  }
  const int32_t ym = yh + (3 * h) / 2;
  table.Rule(canvas, ym);

  const int32_t y1 = ym + 5;
  table.Label(canvas, y1, text(33113) + " (" + unit + ")");
  table.Label(canvas, y1 + h, text(33114) + " (" + unit + ")");
  table.Label(canvas, y1 + 2 * h, text(33115) + " (" + speedUnit + ")");
  const std::size_t k0 = input.MetrologyView ? 0 : 3;
  const std::array<double, 3> speeds{data.SlowSpeed, data.FastSpeed, data.CorrectedSpeed};
  for (int32_t j = 0; j < 3; ++j) {
    const auto i = static_cast<std::size_t>(j);
    const ViewerDataSet& set = data.sets[k0 + i];
    std::array<std::string, 3> column{Length(input, set.form, 4, 5, text),
                                      Length(input, 2.0 * set.radius, 4, 5, text),
                                      Length(input, speeds[i], 4, 5, text)};
    // A hidden reference scan has no results to compare against.
    if (j == 0 && !input.ShowReference) {
      column.fill(text(33119) + " ");
    }
    for (int32_t row = 0; row < 3; ++row) {
      table.Value(canvas, j, y1 + row * h, column[static_cast<std::size_t>(row)]);
    }
  }
  const int32_t yb = y1 + 3 * h + 5;
  table.Rule(canvas, yb);
  Line(canvas, table.x0 - table.c0, yt + 2 * h, table.x0 - table.c0, yb);
  table.ColumnLines(canvas, yt, yb);
}

}  // namespace ombrixdc::paint
