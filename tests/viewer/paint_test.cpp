// One paint recorded on a display list, checked against positions worked out by hand for a
// 760 x 531 client area (the area of a new viewer window). The plot's font has a 13-pixel
// line, so: cx 230, cy 288, R 196, h 13, h2 6, L 183, P 177, b 88, q 14, base 130.
#include "src/viewer/paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <variant>

#include "platform/ui/display_list.h"
#include "src/viewer/paint_parts.h"

namespace ombrixdc {
namespace {

using ui::Point;
using ui::Rect;

constexpr Rect kClient{0, 0, 760, 531};
constexpr ui::Rgb kGrey{150, 150, 150};

struct DrawnLine {
  Point from, to;
  ui::Pen pen;
};
struct DrawnText {
  Point at;
  std::string text;
  ui::Rgb colour;
};
struct DrawnCircle {
  Rect box;
  ui::Pen pen;
};

// The recorded calls with the pen and text colour each was drawn with.
struct Drawing {
  std::vector<DrawnLine> lines;
  std::vector<DrawnText> texts;
  std::vector<DrawnCircle> circles;
  std::vector<std::vector<Point>> polygons;
  std::vector<ui::PolyPolygonOp> bands;
  std::vector<ui::Pen> bandPens;
  ui::DisplayList list;

  const DrawnText* Text(const std::string& text) const {
    for (const DrawnText& t : texts)
      if (t.text == text)
        return &t;
    return nullptr;
  }
  int32_t Count(const std::string& text) const {
    return static_cast<int32_t>(std::count_if(texts.begin(), texts.end(),
                                              [&](const DrawnText& t) { return t.text == text; }));
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

Drawing Paint(const PaintInput& input, Rect client = kClient) {
  Drawing d;
  PaintRadialErrorView(d.list, client, input);
  ui::Pen pen;
  ui::Rgb colour;
  Point position;
  for (const ui::DrawOp& op : d.list.Ops()) {
    if (auto* p = std::get_if<ui::SelectPenOp>(&op))
      pen = p->pen;
    else if (auto* c = std::get_if<ui::TextColourOp>(&op))
      colour = c->colour;
    else if (auto* m = std::get_if<ui::MoveToOp>(&op))
      position = m->to;
    else if (auto* l = std::get_if<ui::LineToOp>(&op)) {
      d.lines.push_back({position, l->to, pen});
      position = l->to;
    } else if (auto* t = std::get_if<ui::TextOp>(&op))
      d.texts.push_back({t->topLeft, t->text, colour});
    else if (auto* circle = std::get_if<ui::CircleOp>(&op))
      d.circles.push_back({circle->box, pen});
    else if (auto* polygon = std::get_if<ui::PolygonOp>(&op))
      d.polygons.push_back(polygon->points);
    else if (auto* band = std::get_if<ui::PolyPolygonOp>(&op)) {
      d.bands.push_back(*band);
      d.bandPens.push_back(pen);
    }
  }
  return d;
}

ViewerDataSet Set(std::vector<double> radii, std::vector<double> angles, double radius = 8.0) {
  ViewerDataSet set;
  set.radii = std::move(radii);
  set.angles = std::move(angles);
  set.radius = radius;
  return set;
}

PaintInput Feature() {
  PaintInput input;
  input.data.FeatureRadius = 8.0;
  input.data.Centre = {250.0, 120.0, -40.0};
  input.data.Normal = {0.0, 0.0, 1.0};
  input.data.Xaxis = {0.0, 1.0, 0.0};
  input.data.SlowSpeed = 5.0;
  input.data.FastSpeed = 30.0;
  input.data.CorrectedSpeed = 30.0;
  input.RingIndex = 1;
  for (std::size_t k = 0; k < 6; ++k) {
    input.data.sets[k].form = 0.001 * static_cast<double>(k + 1);
    input.data.sets[k].radius = 8.0 + 0.01 * static_cast<double>(k);
  }
  return input;
}

TEST(Paint, PlotFontHasTheLineHeightTheseFiguresAssume) {
  ui::DisplayList probe;
  probe.SelectFont(ui::Font::VariablePitch);
  ASSERT_EQ(probe.TextExtent("- X").height, 13);
}

TEST(Paint, AxesLabelsRingsDiagonalsAndTicksStandWhereTheGeometryPutsThem) {
  const Drawing d = Paint(PaintInput{});
  EXPECT_EQ(d.Text("- X")->at, (Point{28, 282}));
  EXPECT_EQ(d.Text("+ X")->at, (Point{420, 282}));
  EXPECT_EQ(d.Text("+ Y")->at, (Point{224, 92}));
  EXPECT_EQ(d.Text("- Y")->at, (Point{224, 472}));

  const auto grey = d.LinesIn({kGrey, 0, ui::LineStyle::Solid});
  ASSERT_EQ(grey.size(), 2u + 4u + 80u);
  EXPECT_TRUE(d.HasLine({47, 288}, {413, 288}));
  EXPECT_TRUE(d.HasLine({230, 105}, {230, 471}));
  // Diagonals from P/4 = 44 to 5P/6 = 147 out along each diagonal.
  EXPECT_TRUE(d.HasLine({186, 244}, {83, 141}));
  EXPECT_TRUE(d.HasLine({274, 332}, {377, 435}));
  // Ticks from s = b - q/2 - q = 67 in steps of 7: first d = 47, last (s = 200) d = 141.
  EXPECT_TRUE(d.HasLine({179, 245}, {187, 237}));
  EXPECT_TRUE(d.HasLine({367, 433}, {375, 425}));
  EXPECT_TRUE(d.HasLine({85, 425}, {93, 433}));

  std::vector<Rect> rings;
  for (const DrawnCircle& c : d.circles)
    if (c.pen.style == ui::LineStyle::Dotted && c.pen.colour == kGrey)
      rings.push_back(c.box);
  ASSERT_EQ(rings.size(), 7u);
  for (int32_t k = 0; k < 7; ++k) {
    const int32_t r = 88 + 14 * k;
    EXPECT_EQ(rings[static_cast<std::size_t>(k)], (Rect{230 - r, 288 - r, 230 + r, 288 + r}));
  }
  // The nominal circle, black, at base = 130.
  EXPECT_EQ(d.circles.back().box, (Rect{100, 158, 360, 418}));
  EXPECT_EQ(d.circles.back().pen, paint::kBlackPen);
}

TEST(Paint, WithoutGridOnlyAxesAndLabelsRemain) {
  PaintInput input;
  input.ShowGrid = 0;
  const Drawing d = Paint(input);
  EXPECT_EQ(d.LinesIn({kGrey, 0, ui::LineStyle::Solid}).size(), 2u);
  ASSERT_EQ(d.circles.size(), 1u);  // the nominal circle only
  EXPECT_NE(d.Text("+ Y"), nullptr);
}

TEST(Paint, ArrowOnTheOutermostRingPointsTheScanDirection) {
  // y_a = cy - trunc(3q + base) = 288 - 172 = 116.
  struct Case {
    int32_t direction;
    std::vector<Point> head;
    Point tail;
  };
  const Case cases[] = {{0, {{200, 116}, {215, 112}, {215, 120}}, {200, 116}},
                        {1, {{260, 116}, {245, 112}, {245, 120}}, {260, 116}}};
  for (const Case& c : cases) {
    PaintInput input = Feature();
    input.data.ScanDirection = c.direction;
    const Drawing d = Paint(input);
    ASSERT_EQ(d.polygons.size(), 1u);
    EXPECT_EQ(d.polygons[0], c.head);
    EXPECT_TRUE(d.HasLine({230, 116}, c.tail)) << c.direction;
  }
}

TEST(Paint, ErrorBeyondTheCentreIsMappedToTheOppositeSide) {
  // Fast scan 62.5 microns inside the reference radius on 2-micron rings: rho = -62.5 * 14 / 2
  // + 130 = -307.5, more negative than base, so the point at angle 0 lands left of the centre.
  PaintInput input;
  input.RingIndex = 0;
  input.data.sets[0] = Set({}, {}, 8.0);
  input.data.sets[1] = Set({7.9375, 7.9375, 8.0}, {0.0, MA_PI, 0.0});
  const Drawing d = Paint(input);
  const auto red = d.LinesIn({paint::kFastRed, 2, ui::LineStyle::Solid});
  ASSERT_GE(red.size(), 2u);  // the curve, then the colour key's line
  EXPECT_EQ(red[0].from, (Point{-77, 288}));
  EXPECT_EQ(red[0].to, (Point{537, 288}));
  EXPECT_EQ(red[1].to, (Point{360, 288}));  // zero error: on the nominal circle
  EXPECT_TRUE(d.bands.empty());             // no reference points, no band
}

TEST(Paint, RepeatabilityBandTakesEverySecondReferencePoint) {
  struct Case {
    std::size_t points;
    std::size_t outline;
    double repeatability;
    ui::Rgb colour;
    int32_t inner, outer;  // x of the first outline points (angle 0, zero error)
  };
  const Case cases[] = {{5, 3, 0.0, {192, 192, 192}, 353, 367},  // w = 1 micron
                        {4, 2, 0.002, {192, 255, 255}, 346, 374},
                        {3, 2, 0.0, {192, 192, 192}, 353, 367},
                        {1, 1, 0.0, {192, 192, 192}, 353, 367}};
  for (const Case& c : cases) {
    PaintInput input;
    input.RingIndex = 0;
    input.ShowReference = 0;  // the band stays when the curve is hidden
    input.SlowSpeedRepeatability = c.repeatability;
    input.data.sets[0] =
        Set(std::vector<double>(c.points, 8.0), std::vector<double>(c.points, 0.0));
    const Drawing d = Paint(input);
    ASSERT_EQ(d.bands.size(), 1u) << c.points;
    const auto& outline = d.bands[0].polygons;
    ASSERT_EQ(outline.size(), 2u);
    EXPECT_EQ(outline[0].size(), c.outline) << c.points;
    EXPECT_EQ(outline[1].size(), c.outline) << c.points;
    EXPECT_EQ(outline[0][0], (Point{c.inner, 288}));
    EXPECT_EQ(outline[1][0], (Point{c.outer, 288}));
    EXPECT_EQ(d.bandPens[0], (ui::Pen{c.colour, 4, ui::LineStyle::Solid}));
    EXPECT_TRUE(d.LinesIn({paint::kReferenceBlue, 2, ui::LineStyle::Solid}).size() == 1u)
        << "only the key's reference line";
  }
}

TEST(Paint, NoScaleChosenDrawsNeitherCurvesNorBand) {
  PaintInput withData = Feature();
  withData.RingIndex = -1;
  for (ViewerDataSet& set : withData.data.sets)
    set = Set({8.0, 8.01, 8.02}, {0.0, 1.0, 2.0});
  PaintInput withoutData = withData;
  for (ViewerDataSet& set : withoutData.data.sets)
    set.radii.clear(), set.angles.clear();
  const Drawing a = Paint(withData);
  EXPECT_TRUE(a.bands.empty());
  EXPECT_EQ(a.list.Ops(), Paint(withoutData).list.Ops());
  EXPECT_NE(a.Text("2 microns"), nullptr);  // block 1 shows the first scale
  EXPECT_NE(a.Text("1 microns"), nullptr);
}

TEST(Paint, PanelBlocksStandAtTheirRowsBelowTheTitle) {
  const Drawing d = Paint(Feature());
  ui::DisplayList probe;
  const int32_t wLoc = probe.TextExtent("Location in Machine Coordinates").width;
  probe.SelectFont(ui::Font::VariablePitch);
  int32_t wA = 0;
  for (const char* t : {"Nominal Circle", "Reference Scan Data", "Fast Scan Data",
                        "Corrected Scan Data", "Machine Repeatability"})
    wA = std::max(wA, probe.TextExtent(t).width);
  int32_t wB = 0;
  for (const char* t : {"Nominal Diameter", "Ring Intervals", "Tick Intervals"})
    wB = std::max(wB, probe.TextExtent(t).width);
  const int32_t left = 760 - (std::max(wA + wB, wLoc) + 20);
  const int32_t valueX = left + wB + probe.TextExtent(": ").width;

  struct Case {
    const char* text;
    Point at;
  };
  const Case cases[] = {
      {"Radial Error View", {left, 45}},
      {"Nominal Diameter:", {left, 75}},
      {"Ring Intervals:", {left, 88}},
      {"Tick Intervals:", {left, 101}},
      {"16.000 mm", {valueX, 75}},
      {"Nominal Circle", {valueX, 120}},  // 101 + (3 * 13) / 2
      {"Machine Repeatability", {valueX, 172}},
      {"Location in Machine Coordinates", {left, 226}},  // bottom - 305
      {"Metrology Data", {left, 358}},                   // bottom - 173
  };
  for (const Case& c : cases) {
    const DrawnText* t = d.Text(c.text);
    ASSERT_NE(t, nullptr) << c.text;
    EXPECT_EQ(t->at, c.at) << c.text;
  }
  EXPECT_EQ(d.Text("Reference Scan Data")->colour, paint::kReferenceBlue);
  EXPECT_EQ(d.Text("Machine Repeatability")->colour, (ui::Rgb{128, 128, 128}));
  EXPECT_TRUE(d.HasLine({left, 120 + 6}, {valueX - 20, 120 + 6}));  // key row 1's line
  // Location table: top rule at 221 + 32 = 253, headings at 259, rows from 278; results table:
  // top rule at 393, headings at 399, rows from 423.
  EXPECT_EQ(d.Text("X")->at.y, 259);
  EXPECT_EQ(d.Text("Center (mm)")->at.y, 278);
  EXPECT_EQ(d.Text("Z-Axis")->at.y, 304);
  EXPECT_EQ(d.Text("Reference")->at.y, 399);
  EXPECT_EQ(d.Text("Form (mm)")->at.y, 423);
  EXPECT_EQ(d.Text("Speed (mm/sec)")->at.y, 449);
  // Values end 10 pixels before their column's right edge: the X column's centre value and the
  // Y column's share one right edge offset by one column width.
  const DrawnText* x = d.Text("250.0");
  const DrawnText* y = d.Text("120.0");
  const int32_t c = probe.TextExtent("9999.99").width + 20;
  EXPECT_EQ(y->at.x + probe.TextExtent("120.0").width - (x->at.x + probe.TextExtent("250.0").width),
            c);
  EXPECT_EQ(x->at.x + probe.TextExtent("250.0").width, 760 - 3 * c - 20 + c - 10);
}

TEST(Paint, NumbersInMillimetresAndInches) {
  struct Case {
    const char* name;
    int32_t unit;
    double featureRadius;
    int32_t ringIndex;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {"mm, 5-micron rings",
       0,
       8.0,
       1,
       {"16.000 mm", "5 microns", "2.5 microns", "250.0", "-40.0", "0.0010", "16.0000", "30.0000",
        "Form (mm)", "Speed (mm/sec)"}},
      {"mm, 10-micron rings", 0, 8.0, 2, {"10 microns", "5 microns"}},
      {"mm, 2000-micron rings", 0, 8.0, 7, {"2000 microns", "1000 microns"}},
      {"inches",
       1,
       12.7,
       1,
       {"1.00000 in", "0.00020 in", "0.00010 in", "9.84", "-1.57", "0.00004", "0.62992", "1.18110",
        "Form (in)", "Speed (in/sec)"}},
  };
  for (const Case& c : cases) {
    PaintInput input = Feature();
    input.data.MeasuringUnit = c.unit;
    input.data.FeatureRadius = c.featureRadius;
    input.RingIndex = c.ringIndex;
    const Drawing d = Paint(input);
    for (const std::string& text : c.texts)
      EXPECT_NE(d.Text(text), nullptr) << c.name << ": " << text;
  }
}

TEST(Paint, YAxisRowIsTheCrossProductOfNormalAndXaxis) {
  // Normal +Z, x axis +Y: the feature's y axis is -X.
  const Drawing d = Paint(Feature());
  const DrawnText* yRow = d.Text("Y-Axis");
  ASSERT_NE(yRow, nullptr);
  std::vector<std::string> row;
  for (const DrawnText& t : d.texts)
    if (t.at.y == yRow->at.y && t.text != "Y-Axis")
      row.push_back(t.text);
  EXPECT_EQ(row, (std::vector<std::string>{"-1.000", "0.000", "0.000"}));
}

TEST(Paint, HiddenReferenceShowsNotAvailableInItsResultsColumnOnly) {
  PaintInput input = Feature();
  input.ShowReference = 0;
  const Drawing d = Paint(input);
  EXPECT_EQ(d.Count("n/a "), 3);
  EXPECT_EQ(d.Text("0.0010"), nullptr);  // the reference form
  EXPECT_NE(d.Text("0.0020"), nullptr);  // the fast form
  EXPECT_NE(d.Text("250.0"), nullptr);   // location unaffected
}

TEST(Paint, NormalisedViewShowsItsHeadingAndSetsThreeToFive) {
  PaintInput input = Feature();
  input.MetrologyView = 0;
  const Drawing d = Paint(input);
  EXPECT_NE(d.Text("Normalized Data"), nullptr);
  EXPECT_EQ(d.Text("Metrology Data"), nullptr);
  EXPECT_NE(d.Text("0.0040"), nullptr);   // form of set 3
  EXPECT_NE(d.Text("16.0600"), nullptr);  // diameter of set 3
  EXPECT_EQ(d.Text("0.0010"), nullptr);
  EXPECT_NE(d.Text("5.0000"), nullptr);  // the speeds stay
}

TEST(Paint, WithoutFeatureOnlyTitleBlockOneAndKeyAreDrawn) {
  PaintInput input;
  const Drawing d = Paint(input);
  std::vector<std::string> texts;
  for (const DrawnText& t : d.texts)
    texts.push_back(t.text);
  const std::vector<std::string> expected{"Radial Error View",
                                          "- X",
                                          "+ X",
                                          "+ Y",
                                          "- Y",
                                          "Nominal Diameter:",
                                          "0.000 mm",
                                          "Ring Intervals:",
                                          "2 microns",
                                          "Tick Intervals:",
                                          "1 microns",
                                          "Nominal Circle",
                                          "Reference Scan Data",
                                          "Fast Scan Data",
                                          "Corrected Scan Data",
                                          "Machine Repeatability"};
  EXPECT_EQ(texts, expected);
  EXPECT_TRUE(d.polygons.empty());  // no arrow
}

TEST(Paint, NumberFormats) {
  struct Case {
    double value;
    int32_t decimals;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {2.25, 1, "2.2"},  // the binary value 2.25 rounds to even, as printf does
      {-0.5, 3, "-0.500"},      {1.0 / 3.0, 5, "0.33333"},
      {1.0 / 3.0, 9, "0.3333"},  // a count outside 1..5 gives four decimals
      {1e116, 4, std::nullopt},  // 117 digits and 5 more: too long for a cell
  };
  for (const Case& c : cases)
    EXPECT_EQ(paint::FormatDecimals(c.value, c.decimals), c.text) << c.value;
  // 116 digits, the point and one decimal: 118 characters still fit.
  EXPECT_EQ(paint::FormatDecimals(-1e114, 1).value_or("").size(), 118u);
}

TEST(Paint, HugeNumbersAndWildPointsStaySafe) {
  PaintInput input = Feature();
  input.data.FeatureRadius = 1e200;
  input.data.sets[1] = Set({1e300, std::nan(""), 8.0}, {0.0, 1.0, 2.0});
  const Drawing d = Paint(input);
  EXPECT_NE(d.Text("n/a mm"), nullptr);  // a diameter too long to show
  EXPECT_FALSE(d.LinesIn({paint::kFastRed, 2, ui::LineStyle::Solid}).empty());
}

}  // namespace
}  // namespace ombrixdc
