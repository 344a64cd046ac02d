// One paint recorded on a display list, checked against positions worked out by hand for a
// 760 x 531 client area (the area of a new viewer window). The plot's font has a 13-pixel
// line, so: cx 230, cy 288, R 196, h 13, h2 6, L 183, P 177, b 88, q 14, base 130.
#include "src/viewer/paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>
#include <variant>

#include "platform/ui/display_list.h"
#include "src/viewer/paint_parts.h"

namespace ombrixdc {
namespace {

using ui::Point;
using ui::Rect;

constexpr ui::Pen kGridPen{{150, 150, 150}, 0, ui::LineStyle::Solid};
constexpr ui::Pen kRedPen{paint::kFastRed, 2, ui::LineStyle::Solid};
constexpr ui::Pen kBluePen{paint::kReferenceBlue, 2, ui::LineStyle::Solid};

struct DrawnLine {
  Point from, to;
  ui::Pen pen;
};

// The recorded calls; lines, circles and bands with the pen they were drawn with.
struct Drawing {
  ui::DisplayList list;
  std::vector<DrawnLine> lines;
  std::vector<ui::TextOp> texts;
  std::vector<std::pair<Rect, ui::Pen>> circles;
  std::vector<std::pair<ui::PolyPolygonOp, ui::Pen>> bands;

  const ui::TextOp* Text(const std::string& text) const {
    auto it = std::find_if(texts.begin(), texts.end(), [&](auto& t) { return t.text == text; });
    return it == texts.end() ? nullptr : &*it;
  }
  std::vector<DrawnLine> LinesIn(const ui::Pen& pen) const {
    std::vector<DrawnLine> out;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(out),
                 [&](const DrawnLine& l) { return l.pen == pen; });
    return out;
  }
  bool HasLine(Point from, Point to) const {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const DrawnLine& l) { return l.from == from && l.to == to; });
  }
};

Drawing Paint(const PaintInput& input) {
  Drawing d;
  PaintRadialErrorView(d.list, {0, 0, 760, 531}, input);
  ui::Pen pen;
  Point at;
  for (const ui::DrawOp& op : d.list.Ops()) {
    if (auto* p = std::get_if<ui::SelectPenOp>(&op)) {
      pen = p->pen;
    } else if (auto* m = std::get_if<ui::MoveToOp>(&op)) {
      at = m->to;
    } else if (auto* l = std::get_if<ui::LineToOp>(&op)) {
      d.lines.push_back({std::exchange(at, l->to), l->to, pen});
    } else if (auto* t = std::get_if<ui::TextOp>(&op)) {
      d.texts.push_back(*t);
    } else if (auto* circle = std::get_if<ui::CircleOp>(&op)) {
      d.circles.emplace_back(circle->box, pen);
    } else if (auto* band = std::get_if<ui::PolyPolygonOp>(&op)) {
      d.bands.emplace_back(*band, pen);
    }
  }
  return d;
}

ViewerDataSet Set(std::vector<double> radii, std::vector<double> angles) {
  return {std::move(radii), std::move(angles), 0.0, 8.0, {}};
}

// A feature with set k of form (k + 1) microns and fitted radius 8 + k/100 mm.
PaintInput Feature() {
  PaintInput input;
  input.data.FeatureRadius = 8.0;
  input.data.Centre = {250.0, 120.0, -40.0};
  input.data.Normal = {0.0, 0.0, 1.0};
  input.data.Xaxis = {0.0, 1.0, 0.0};
  input.data.SlowSpeed = 5.0;
  input.data.FastSpeed = input.data.CorrectedSpeed = 30.0;
  input.RingIndex = 1;
  for (std::size_t k = 0; k < 6; ++k) {
    input.data.sets[k] = {{}, {}, 0.001 * static_cast<double>(k + 1), 8.0 + 0.01 * k, {}};
  }
  return input;
}

TEST(Paint, AxesLabelsRingsDiagonalsAndTicksStandWhereTheGeometryPutsThem) {
  ui::DisplayList probe;
  probe.SelectFont(ui::Font::VariablePitch);
  ASSERT_EQ(probe.TextExtent("- X").height, 13) << "the figures assume a 13-pixel line";
  const Drawing d = Paint(PaintInput{});
  EXPECT_EQ(d.Text("- X")->topLeft, (Point{28, 282}));
  EXPECT_EQ(d.Text("+ Y")->topLeft, (Point{224, 92}));
  ASSERT_EQ(d.LinesIn(kGridPen).size(), 2u + 4u + 80u);
  for (auto [from, to] : {std::pair<Point, Point>{{47, 288}, {413, 288}},  // axes: L = 183
                          {{230, 105}, {230, 471}},
                          {{186, 244}, {83, 141}},  // diagonals from P/4 = 44 to 5P/6 = 147
                          // ticks from s = b - q/2 - q = 67 by 7: first d = 47, last d = 141
                          {{179, 245}, {187, 237}},
                          {{85, 425}, {93, 433}}}) {
    EXPECT_TRUE(d.HasLine(from, to)) << from.x << "," << from.y;
  }
  // Seven dotted rings at b + k q, then the nominal circle, black, at base = 130.
  ASSERT_EQ(d.circles.size(), 8u);
  for (int32_t k = 0; k < 7; ++k) {
    const int32_t r = 88 + 14 * k;
    EXPECT_EQ(d.circles[static_cast<std::size_t>(k)],
              std::pair(Rect{230 - r, 288 - r, 230 + r, 288 + r},
                        ui::Pen{kGridPen.colour, 0, ui::LineStyle::Dotted}));
  }
  EXPECT_EQ(d.circles.back(), std::pair(Rect{100, 158, 360, 418}, paint::kBlackPen));
  PaintInput noGrid;
  noGrid.ShowGrid = 0;
  EXPECT_EQ(Paint(noGrid).LinesIn(kGridPen).size(), 2u);  // the axes only
  EXPECT_EQ(Paint(noGrid).circles.size(), 1u);            // the nominal circle only
}

TEST(Paint, CurvePointsFollowTheErrorTheAngleAndUpwardY) {
  // 62.5 microns inside the reference radius on 2-micron rings: rho = -62.5 * 14 / 2 + 130 =
  // -307.5, more negative than base, so the point at angle 0 lands left of the centre. Zero
  // error at +Y lies on the nominal circle above the centre.
  PaintInput input;
  input.RingIndex = 0;
  input.data.sets[0].radius = 8.0;  // every curve's errors are against the reference radius
  input.data.sets[1] = Set({7.9375, 7.9375, 8.0}, {0.0, MA_PI, MA_PI / 2});
  const Drawing d = Paint(input);
  const auto red = d.LinesIn(kRedPen);
  ASSERT_EQ(red.size(), 3u);  // the curve's two lines, then the colour key's
  EXPECT_EQ(red[0].from, (Point{-77, 288}));
  EXPECT_EQ(red[0].to, (Point{537, 288}));
  EXPECT_EQ(red[1].to, (Point{230, 158}));
  EXPECT_TRUE(d.bands.empty());  // no reference points, no band
}

TEST(Paint, RepeatabilityBandTakesEverySecondReferencePoint) {
  // Reference points, outline points, repeatability, colour, x of the outline points at angle
  // 0 and zero error: w = 1 micron when no repeatability is known, so rho 123 and 137.
  const std::tuple<std::size_t, std::size_t, double, ui::Rgb, int32_t, int32_t> cases[] = {
      {5, 3, 0.0, {192, 192, 192}, 353, 367},
      {4, 2, 0.002, {192, 255, 255}, 346, 374},
      {1, 1, 0.0, {192, 192, 192}, 353, 367},
  };
  for (const auto& [points, outline, repeatability, colour, inner, outer] : cases) {
    PaintInput input;
    input.RingIndex = 0;
    input.ShowReference = 0;  // the band stays when the curve is hidden
    input.SlowSpeedRepeatability = repeatability;
    input.data.sets[0] = Set(std::vector(points, 8.0), std::vector(points, 0.0));
    const Drawing d = Paint(input);
    ASSERT_EQ(d.bands.size(), 1u) << points;
    EXPECT_EQ(d.bands[0].first.polygons, (std::vector{std::vector<Point>(outline, {inner, 288}),
                                                      std::vector<Point>(outline, {outer, 288})}));
    EXPECT_EQ(d.bands[0].second, (ui::Pen{colour, 4, ui::LineStyle::Solid}));
    EXPECT_EQ(d.LinesIn(kBluePen).size(), 1u) << "only the key's reference line";
  }
}

// The panel's numbers follow the unit, the scale, the view and whether the reference is shown.
TEST(Paint, PanelNumbersFollowUnitScaleViewAndReference) {
  // Unit, ring index, reference shown, metrology view; texts shown, texts absent.
  const std::tuple<int32_t, int32_t, int32_t, int32_t, std::vector<std::string>,
                   std::vector<std::string>>
      cases[] = {
          // Normal +Z x Xaxis +Y = -X: the Y-axis row starts with -1.000.
          {0, 1, 1, 1, {"16.000 mm", "5 microns", "2.5 microns", "-40.0", "-1.000", "0.0010"}, {}},
          {0, 7, 1, 1, {"2000 microns", "1000 microns"}, {}},
          {1, 1, 1, 1, {"0.62992 in", "0.00020 in", "9.84", "0.00004", "Speed (in/sec)"}, {}},
          {0, 1, 0, 1, {"n/a ", "0.0020"}, {"0.0010"}},
          {0, 1, 1, 0, {"Normalized Data", "0.0040", "16.0600"}, {"Metrology Data", "0.0010"}},
      };
  for (const auto& [unit, ringIndex, showReference, metrologyView, shown, absent] : cases) {
    PaintInput input = Feature();
    input.data.MeasuringUnit = unit;
    input.RingIndex = ringIndex;
    input.ShowReference = showReference;
    input.MetrologyView = metrologyView;
    const Drawing d = Paint(input);
    for (const std::string& text : shown) {
      EXPECT_NE(d.Text(text), nullptr) << text;
    }
    for (const std::string& text : absent) {
      EXPECT_EQ(d.Text(text), nullptr) << text;
    }
  }
}

TEST(Paint, NumberFormatsAndValuesTooLargeToShow) {
  EXPECT_EQ(paint::FormatDecimals(2.25, 1), "2.2");  // 2.25 rounds to even, as printf does
  EXPECT_EQ(paint::FormatDecimals(-0.5, 3), "-0.500");
  EXPECT_EQ(paint::FormatDecimals(1.0 / 3.0, 9), "0.3333");  // other counts give four
  EXPECT_EQ(paint::FormatDecimals(-1e114, 1).value_or("").size(), 118u);
  EXPECT_EQ(paint::FormatDecimals(1e116, 4), std::nullopt);  // 122 characters
  PaintInput input = Feature();
  input.data.FeatureRadius = 1e200;
  input.data.sets[1] = Set({1e300, std::nan(""), 8.0}, {0.0, 1.0, 2.0});
  const Drawing d = Paint(input);
  EXPECT_NE(d.Text("n/a mm"), nullptr);  // a diameter too long for its cell
  EXPECT_EQ(d.LinesIn(kRedPen).size(), 3u);
}

}  // namespace
}  // namespace ombrixdc
