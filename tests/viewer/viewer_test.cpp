// The viewer: its paint, its drawing into an image file, loading its data from a component's
// run and from data sets files, its commands and the words it shows.
#include "src/viewer/paint.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <mutex>
#include <tuple>
#include <utility>
#include <variant>

#include "platform/com/bstr.h"
#include "platform/com/object.h"
#include "platform/ui/display_list.h"
#include "platform/ui/headless_host.h"
#include "src/files/data_sets_file.h"
#include "src/viewer/data_loading.h"
#include "src/viewer/data_sets_reader.h"
#include "src/viewer/paint_parts.h"
#include "src/viewer/render_view.h"
#include "src/viewer/ring_scale.h"
#include "src/viewer/viewer_client.h"
#include "src/viewer/viewer_commands.h"
#include "src/viewer/viewer_state.h"
#include "src/viewer/viewer_text.h"
#include "src/viewer/viewer_text_choice.h"
#include "src/viewer/viewer_thread.h"
#include "src/viewer/viewer_window.h"
#include "tests/files/golden_files.h"
#include "tests/support/temp_folder.h"
#include "tests/support/viewer_data_sets_text.h"

namespace ombrixdc {

namespace {

// One paint recorded on a display list, checked against positions worked out by hand for a
// 760 x 531 client area (the area of a new viewer window). The plot's font has a 13-pixel
// line, so: cx 230, cy 288, R 196, h 13, h2 6, L 183, P 177, b 88, q 14, base 130.

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
  std::vector<Rect> textBoxes;  // where each text lies, in the font it was drawn in
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

Drawing Paint(const PaintInput& input, Rect client = {0, 0, 760, 531}) {
  Drawing d;
  PaintRadialErrorView(d.list, client, input);
  ui::Pen pen;
  Point at;
  ui::DisplayList measure;
  for (const ui::DrawOp& op : d.list.Ops()) {
    if (auto* f = std::get_if<ui::SelectFontOp>(&op)) {
      measure.SelectFont(f->font);
    } else if (auto* p = std::get_if<ui::SelectPenOp>(&op)) {
      pen = p->pen;
    } else if (auto* m = std::get_if<ui::MoveToOp>(&op)) {
      at = m->to;
    } else if (auto* l = std::get_if<ui::LineToOp>(&op)) {
      d.lines.push_back({std::exchange(at, l->to), l->to, pen});
    } else if (auto* t = std::get_if<ui::TextOp>(&op)) {
      d.texts.push_back(*t);
      const ui::Size size = measure.TextExtent(t->text);
      d.textBoxes.push_back(
          {t->topLeft.x, t->topLeft.y, t->topLeft.x + size.width, t->topLeft.y + size.height});
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
  EXPECT_EQ(std::tuple(red[0].from, red[0].to, red[1].to),
            std::tuple(Point{-77, 288}, Point{537, 288}, Point{230, 158}));
  EXPECT_TRUE(d.bands.empty());  // no reference points, no band
}

TEST(Paint, RepeatabilityBandTakesEverySecondReferencePoint) {
  // Reference points, outline points, repeatability, colour, x of the outline points at angle
  // 0 and zero error: w = 1 micron when no repeatability is known, so rho 123 and 137.
  const std::tuple<std::size_t, std::size_t, double, ui::Rgb, int32_t, int32_t> cases[] = {
      {5, 3, 0.0, {192, 192, 192}, 353, 367},
      {4, 2, 0.002, {192, 255, 255}, 346, 374},
      {1, 1, 0.0, {192, 192, 192}, 353, 367}};
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

bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// At every window size, tall, wide or the least, the plot (its labels and outermost ring) lies
// inside the client area and clear of every text of the panel; a centre far from the origin
// neither runs into its label nor pushes the table onto the plot.
TEST(Paint, PlotStaysInsideTheWindowAndClearOfThePanelAtEverySize) {
  PaintInput input = Feature();
  input.data.Centre = {123456789.5, -120.0, 1e300};
  for (const Rect client : {Rect{0, 0, 760, 531}, Rect{0, 0, 760, 1000}, Rect{0, 0, 1600, 600},
                            Rect{0, 0, 1000, 1000}, Rect{0, 0, 900, 2000}}) {
    SCOPED_TRACE(std::to_string(client.right) + "x" + std::to_string(client.bottom));
    const Drawing d = Paint(input, client);
    ASSERT_EQ(d.circles.size(), 8u);
    Rect plot = d.circles[6].first;  // the outermost ring
    std::vector<Rect> panel;
    for (std::size_t i = 0; i < d.texts.size(); ++i) {
      const Rect& box = d.textBoxes[i];
      if (d.texts[i].text.size() == 3 && d.texts[i].text[1] == ' ') {  // "- X", "+ Y"...
        plot = {std::min(plot.left, box.left), std::min(plot.top, box.top),
                std::max(plot.right, box.right), std::max(plot.bottom, box.bottom)};
      } else {
        panel.push_back(box);
      }
    }
    EXPECT_GE(plot.left, 0);
    EXPECT_GE(plot.top, 0);
    EXPECT_LE(plot.right, client.right);
    EXPECT_LE(plot.bottom, client.bottom);
    for (std::size_t i = 0; i < panel.size(); ++i) {
      EXPECT_FALSE(Overlap(plot, panel[i])) << "panel text " << i;
      for (std::size_t j = i + 1; j < panel.size(); ++j) {
        EXPECT_FALSE(Overlap(panel[i], panel[j])) << "panel texts " << i << " and " << j;
      }
    }
    EXPECT_TRUE(d.Text("123456789.5")) << "a wide centre widens its column";
    EXPECT_TRUE(d.Text("n/a")) << "one too wide for any column is not shown";
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

// The golden example read by the viewer and drawn into an image file on a real Cairo surface;
// the formats are the window layer's.

// Pixels of exactly this colour inside the plot (left of the panel's key).
int32_t CountPlotPixels(cairo_surface_t* surface, uint32_t rgb) {
  int32_t count = 0;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  for (int32_t y = 0; data && y < cairo_image_surface_get_height(surface); ++y) {
    const auto* row =
        reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface));
    count += static_cast<int32_t>(
        std::count_if(row, row + 450, [&](uint32_t p) { return (p & 0xFFFFFF) == rgb; }));
  }
  return count;
}

// The golden example read, then drawn with only the reference curve shown.
TEST(RenderView, DrawsTheGoldenExampleIntoTheFileAndRefusesWhatItCannotWrite) {
  PaintInput input;
  EXPECT_FALSE(ReadViewerDataSetsFile(GoldenFolder() / "none.dat", input.data, 0.0).ok);
  const auto read = ReadViewerDataSetsFile(GoldenFolder() / "results.dat", input.data, 0.001);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(input.data.sets[1].form, 0.017923);
  EXPECT_EQ(input.data.sets[5].radii.size(), 100u);
  // Largest metrology form 0.017923 mm: c = 6, 10-micron rings; the centres lie 0.000125 mm
  // apart, well within twice the repeatability.
  EXPECT_EQ(read.ring.RingIndex, 2);
  EXPECT_EQ(read.ShowReference, 1);
  input.RingIndex = read.ring.RingIndex;
  input.ShowFast = input.ShowCorrected = 0;
  TempFolder folder;
  const auto png = folder.Path() / "view.png";
  ASSERT_TRUE(RenderViewToFile(png, kDefaultClientSize, input).ok);
  cairo_surface_t* surface = cairo_image_surface_create_from_png(png.c_str());
  EXPECT_EQ(cairo_image_surface_get_width(surface), 760);
  // A curve of 100 points two pixels wide around a nominal circle of radius 130.
  EXPECT_GT(CountPlotPixels(surface, 0x0000FF), 500);
  EXPECT_EQ(CountPlotPixels(surface, 0xFF0000), 0);
  cairo_surface_destroy(surface);
  for (auto [name, width] : {std::pair{"view.bmp", 400}, {"view.png", 0}}) {
    const RenderResult result = RenderViewToFile(folder.Path() / name, {width, 300}, input);
    EXPECT_FALSE(result.ok || result.error.empty()) << name;
  }
}

// Loading the viewer from a component's run and from data sets files.

// A component as the viewer sees it, with fields a test sets directly.
class FakeViewerClient final : public ViewerClient {
 public:
  ui::Rect WindowRect() const override { return {100, 100, 868, 677}; }
  bool WindowRectChanged() const override { return false; }
  bool WindowVisible() const override { return true; }
  std::optional<std::string> Language() const override { return std::nullopt; }
  std::optional<ViewerSettings> Settings() const override { return std::nullopt; }
  ComPtr<IVexa_error> NewErrorObject() const override { return nullptr; }
  std::optional<std::string> WorkingFolder() const override { return "Default"; }
  std::optional<std::string> GraphicsFilename() const override {
    std::lock_guard lock(mutex_);
    return fileName;
  }
  bool GraphicsOpen() const override { return graphicsOpen; }
  ClientRunData RunData() const override {
    std::lock_guard lock(mutex_);
    ClientRunData data = run;
    data.DataSets = sets;
    return data;
  }
  void SetGraphicsOpen(bool open) override { graphicsOpen = open; }
  void SetWindowHandle(int32_t handle) override { windowHandle = handle; }
  void FireOnGraphicsClosed() override { ++closedEvents; }

  // Every set a circle of `radius` sampled at `count` angles.
  void SetCircles(double radius, size_t count) {
    std::lock_guard lock(mutex_);
    for (DataSet& set : sets) {
      set = {};
      for (size_t i = 0; i < count; ++i) {
        set.radii.Add(radius);
        set.angles.Add(2.0 * M_PI * static_cast<double>(i) / static_cast<double>(count));
      }
    }
  }

  mutable std::mutex mutex_;
  std::optional<std::string> fileName;
  ClientRunData run;
  std::array<DataSet, kViewerDataSetCount> sets;
  std::atomic<bool> graphicsOpen{false};
  std::atomic<int32_t> windowHandle{0};
  std::atomic<int32_t> closedEvents{0};
};

class DataLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ViewerState& s = state();
    {
      std::lock_guard lock(s.dataMutex);
      s.Data = {};
      s.ShownComponent = nullptr;
    }
    {
      std::lock_guard lock(s.sessionMutex);
      s.ViewerDirectory = folder.Path().string();
    }
    s.SlowSpeedRepeatability = 0.0;
    s.ShowReference = 1;
    s.RingIndex = -1;
    startDirectory = std::filesystem::current_path();
  }
  void TearDown() override {
    ForgetViewerClient(client);
    // No load may move the process's current directory: the host application relies on it.
    EXPECT_EQ(std::filesystem::current_path(), startDirectory);
  }
  static ViewerState& state() { return ProcessViewerState(); }

  TempFolder folder;
  FakeViewerClient client;
  std::filesystem::path startDirectory;
};

TEST_F(DataLoadingTest, RunReferenceVisibility_LearningAlwaysShowsIt) {
  // Learning, the distance of the centres, whether the reference is shown. The distance rule
  // itself is the data sets reader's.
  const std::tuple<int32_t, double, int32_t> cases[] = {
      {1, 5.0, 1},    // a learning run scanned its own reference
      {0, 0.001, 0},  // a stored map's reference from elsewhere
  };
  client.SetCircles(8.0, 16);
  for (const auto& [learning, offset, showReference] : cases) {
    client.run.Learning = learning;
    client.run.SlowCentre = {1.0, 1.0, 0.0};
    client.run.FastCentre = {1.0 + offset, 1.0, 0.0};
    state().ShowReference = 1 - showReference;
    UpdateFromComponent(client);
    EXPECT_EQ(state().ShowReference, showReference) << learning;
    std::lock_guard lock(state().dataMutex);
    EXPECT_EQ(state().ShownComponent, &client);
  }
}

TEST_F(DataLoadingTest, PaintReadsTheShownComponentsArraysAtPaintTime_UntilItIsForgotten) {
  client.SetCircles(8.0, 16);
  UpdateFromComponent(client);
  client.SetCircles(9.0, 5);  // a later run of the same component, not yet handed over
  PaintInput input = TakePaintSnapshot(state());
  EXPECT_EQ(input.data.sets[2].radii, std::vector<double>(5, 9.0));
  ForgetViewerClient(client);  // the component is destroyed
  input = TakePaintSnapshot(state());
  EXPECT_EQ(input.data.sets[2].radii, std::vector<double>(16, 8.0));
}

// A data sets file the client names is left to the viewer thread while the client has no
// window yet; the window shows it, and titles it with the file's bare name.
TEST_F(DataLoadingTest, NamedFileIsShownOnceTheWindowIsOpen) {
  client.SetCircles(8.0, 16);
  folder.Write("named.dat", ::DataSetsFileText({0, 0, 0}, {0, 0, 0}, 7.0));
  client.fileName = "named.dat";
  UpdateFromComponent(client);
  EXPECT_EQ(state().RingIndex, -1);  // neither the run nor the file yet
  client.graphicsOpen = true;
  UpdateFromComponent(client);
  EXPECT_EQ(state().RingIndex, 7);  // form 7 mm: the coarsest scale
  EXPECT_EQ(FileNamePart("C:\\Runs/Default\\a.dat"), "a.dat");
}

// A damaged file keeps what was read in the picture; the status bar says where it is damaged.
TEST_F(DataLoadingTest, DamagedFileFromTheDialog_SaysWhereInTheStatusBar) {
  const std::string text = ::DataSetsFileText({0, 0, 0}, {0, 0, 0}, 7.0);
  const auto cut = folder.Write("cut.dat", text.substr(0, text.rfind("Form:")));
  ui::HeadlessHost host;
  ASSERT_TRUE(host.Create({}));
  host.SetNextOpenFileResult(cut.string());
  OpenDataSetsFileFromDialog(host);
  EXPECT_TRUE(host.GetState().statusText.starts_with("Damaged data sets file (data set 6 of 6"))
      << host.GetState().statusText;
  EXPECT_NE(host.GetState().statusText.find("cut.dat"), std::string::npos);
}

// The viewer's reader of data sets files, against the file writer, and the ring scale it
// chooses for the data.

constexpr int32_t kPoints = 8;

// Set k is a true circle of radius 5 + k/1000 about its own centre, so its radii come back
// unchanged about the fitted centre the file records.
DataSetsFileContent WrittenContent() {
  DataSetsFileContent content;
  content.header.measuringUnit = 1;
  content.header.radius = 8.0;
  content.header.centre = {250.0, 120.0, -40.0};
  content.header.normal = {0.0, 0.0, 1.0};
  content.header.xaxis = {0.0, 1.0, 0.0};
  content.header.slowSpeed = 5.0;
  content.header.fastSpeed = 30.0;
  content.header.scanDirection = 1;
  content.headerInfo[0] = "Form: 99 Radius: 99";  // free text that repeats labels further on
  for (std::size_t k = 0; k < kDataSetCount; ++k) {
    for (int32_t i = 0; i < kPoints; ++i) {
      content.dataSets[k].radii.Add(5.0 + 0.001 * static_cast<double>(k));
      content.dataSets[k].angles.Add(2.0 * MA_PI * i / kPoints);
    }
  }
  content.slowCentre = {1.0, 2.0, 3.0};
  content.fastCentre = {1.5, 2.0, 3.0};
  return content;
}

std::string WrittenText() {
  return WriteDataSetsFile(WrittenContent()).text;
}

DataSetsReadResult Read(std::string text, ViewerDataSets& data, double repeatability = 0.3) {
  TokenReader reader(std::move(text));
  return ReadViewerDataSets(reader, data, repeatability);
}

void ExpectWrittenValues(const ViewerDataSets& data) {
  EXPECT_EQ(std::tuple(data.MeasuringUnit, data.FeatureRadius, data.Centre.z(), data.Xaxis.y(),
                       data.SlowSpeed, data.FastSpeed, data.CorrectedSpeed, data.ScanDirection),
            std::tuple(1, 8.0, -40.0, 1.0, 5.0, 30.0, 30.0, 1));
  for (std::size_t k = 0; k < kDataSetCount; ++k) {
    const ViewerDataSet& set = data.sets[k];
    const double radius = 5.0 + 0.001 * static_cast<double>(k);
    ASSERT_EQ(set.radii.size(), static_cast<std::size_t>(kPoints)) << k;
    EXPECT_NEAR(set.centre.x(), k == 0 || k == 3 ? 1.0 : 1.5, 1e-6) << k;
    EXPECT_NEAR(set.radius, radius, 1e-6) << k;
    for (std::size_t i = 0; i < set.radii.size(); ++i) {
      EXPECT_NEAR(set.radii[i], radius, 1e-6);
      EXPECT_NEAR(set.angles[i], 2.0 * MA_PI * static_cast<double>(i) / kPoints, 1e-6);
    }
  }
}

// Labels in any case and any line ends are the token reader's; here what the values are.
TEST(DataSetsReader, ReadsWhatTheWriterWrote) {
  ViewerDataSets data;
  const DataSetsReadResult result = Read(WrittenText(), data);
  ASSERT_TRUE(result.ok);
  ExpectWrittenValues(data);
  EXPECT_EQ(result.ring.RingIndex, 0);  // true circles: every form 0
}

TEST(DataSetsReader, ReferenceHiddenWhenCentresLieTwoRepeatabilitiesApart) {
  // The slow and fast centres of the written file are 0.5 mm apart.
  for (auto [repeatability, shown] : {std::pair{0.3, 1}, {0.25, 0}}) {
    ViewerDataSets data;
    EXPECT_EQ(Read(WrittenText(), data, repeatability).ShowReference, shown) << repeatability;
    // A hidden reference is explained, with the way to show it.
    const auto note = HiddenReferenceNote(data.sets[0].centre, data.sets[1].centre, repeatability);
    EXPECT_EQ(note.has_value(), shown == 0);
    if (note) {
      EXPECT_NE(note->find("lies 0.500000 mm from"), std::string::npos) << *note;
      EXPECT_NE(note->find("--ini with SlowSpeedRepeatability"), std::string::npos) << *note;
    }
  }
  EXPECT_EQ(ReferenceVisibility({1, 2, 3}, {1, 2, 3}, 0.0), 1);  // equal centres keep it
}

TEST(DataSetsReader, DamagedFileFailsAndKeepsWhatWasRead) {
  const std::string text = WrittenText();
  std::size_t set3 = 0;
  for (int k = 0; k < 4; ++k) {
    set3 = text.find("Data:", set3 + 1);
  }
  const std::string feature =
      "inches): 1 Radius: 8 Centre: 0 0 0 Normal: 0 0 1 Xaxis: 1 0 0 "
      "SlowSpeed: 5 FastSpeed: 30 anti-clockwise): 1 Set: ";
  // The text, the sets whose points were read before the damage, whether the feature was,
  // where the damage is said to be.
  const std::tuple<std::string, std::size_t, bool, std::string> cases[] = {
      {"", 0, false, "the feature description, line 1"},
      {text.substr(0, set3 + 200), 3, true, "data set 4 of 6, line "},  // inside its points
      {feature + "2000000000 Form: 0.1 Radius: 8 Centre: 0 0 0 Data: 1 2 3", 0, true,
       "data set 1 of 6, line 1"},
      {feature + "-3", 0, true, "the point count, line 1"},
  };
  for (const auto& [damaged, setsReplaced, featureRead, where] : cases) {
    ViewerDataSets data;
    for (ViewerDataSet& set : data.sets) {
      set.radii = {-1.0};  // what an earlier file left
    }
    const DataSetsReadResult result = Read(damaged, data);
    EXPECT_FALSE(result.ok) << damaged.substr(0, 300);
    EXPECT_TRUE(result.damage.starts_with(where)) << result.damage;
    EXPECT_EQ(data.MeasuringUnit, featureRead ? 1 : 0);
    for (std::size_t k = 0; k < 6; ++k) {
      EXPECT_EQ(data.sets[k].radii.size(), k < setsReplaced ? std::size_t{kPoints} : 1u) << k;
    }
  }
}

TEST(ChooseRingIndex, LargestFormOfATripleSetsTheScale) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<std::array<double, 3>, int32_t> cases[] = {
      {{0.010, 0.002, 0.0}, 1},  // c = 4: 5-micron rings
      {{0.0005, 0.0, 0.0}, 0},   // c = 1
      {{0.004, 0.0, 0.0}, 0},    // c = 2 fits 2-micron rings
      {{0.150, 0.0, 0.0}, 4},    // c = 1 - trunc(-49.67) = 50: exactly the 50-micron rings
      {{0.0, 0.0, 1e300}, 7},    // beyond the widest rings, no overflow on the way
      {{nan, 0.0, 0.0}, 7},
  };
  for (const auto& [forms, index] : cases) {
    EXPECT_EQ(ChooseRingIndex(forms), index) << forms[0] << " " << forms[1] << " " << forms[2];
  }
}

// The viewer's commands, played on a window without a display, and the status bar's text cut.

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::WindowDescription windowDescription;
    windowDescription.frame = {40, 30, 40 + 768, 30 + 577};
    windowDescription.menu = BuiltInMenu();
    SetMenuChecks(windowDescription.menu, state);
    windowDescription.toolbar = ViewerToolbar(state);
    ASSERT_TRUE(host.Create(windowDescription));
  }
  ViewerState state;
  ui::HeadlessHost host;
};

// Every check command inverts its own switch only, and the window's checks follow it; the
// Fast and Corrected switches have no toolbar button.
TEST_F(CommandTest, CheckCommands_InvertOneSwitch_AndItsChecks) {
  // In the order of the switches below: the command, whether it has a toolbar button.
  const std::pair<int32_t, bool> cases[] = {{kCommandMetrology, true},
                                            {kCommandGrid, true},
                                            {kCommandReference, true},
                                            {kCommandFast, false},
                                            {kCommandCorrected, false}};
  const auto switches = [this] {
    return std::array<int32_t, 5>{state.MetrologyView, state.ShowGrid, state.ShowReference,
                                  state.ShowFast, state.ShowCorrected};
  };
  for (std::size_t i = 0; i < 5; ++i) {
    const auto [id, onToolbar] = cases[i];
    for (int32_t expected : {0, 1}) {
      std::array<int32_t, 5> want = switches();  // this switch set, nothing else moved
      want[i] = expected;
      EXPECT_EQ(ApplyViewerCommand(id, state, &host), CommandOutcome::Repaint);
      EXPECT_EQ(switches(), want) << id;
      const ui::HeadlessHost::State window = host.GetState();
      EXPECT_EQ(window.menuChecks.at(id), expected == 1) << id;
      EXPECT_EQ(window.toolbarChecks.count(id), onToolbar ? 1u : 0u) << id;
      if (onToolbar) {
        EXPECT_EQ(window.toolbarChecks.at(id), expected == 1) << id;
      }
    }
  }
  EXPECT_EQ(state.RingIndex, -1);
}

TEST_F(CommandTest, MagnifyAndShrink_StayWithinTheEightRingScales) {
  // The ring index before, the command, the index after, the outcome.
  using enum CommandOutcome;
  const std::tuple<int32_t, int32_t, int32_t, CommandOutcome> cases[] = {
      {-1, kCommandMagnify, -1, None},  // no data: nothing to magnify
      {-1, kCommandShrink, 0, Repaint}, {0, kCommandMagnify, 0, None},
      {1, kCommandMagnify, 0, Repaint}, {6, kCommandShrink, 7, Repaint},
      {7, kCommandShrink, 7, None},
  };
  for (const auto& [start, id, expected, outcome] : cases) {
    state.RingIndex = start;
    EXPECT_EQ(ApplyViewerCommand(id, state, &host), outcome) << start << " " << id;
    EXPECT_EQ(state.RingIndex, expected) << start << " " << id;
  }
}

// Only the five switches are check items; Open, Exit, Magnify and Shrink are plain commands.
TEST(ViewerMenu, OnlyTheSwitchesAreCheckItems) {
  for (const auto& menu :
       {BuiltInMenu(), MenuFromTexts(BuiltInTextLookup(TextVariant::EnglishUS))}) {
    std::vector<int32_t> checkable, plain;
    for (const ui::MenuItem& popup : menu) {
      EXPECT_FALSE(popup.checkable);
      for (const ui::MenuItem& item : popup.items) {
        (item.checkable ? checkable : plain).push_back(item.id);
      }
    }
    EXPECT_EQ(checkable, (std::vector<int32_t>{kCommandMetrology, kCommandGrid, kCommandReference,
                                               kCommandFast, kCommandCorrected}));
    EXPECT_EQ(plain, (std::vector<int32_t>{32768, 32769, kCommandMagnify, kCommandShrink}));
  }
}

TEST(ViewerFrameRules, CutText_NeverSplitsACharacter) {
  EXPECT_EQ(CutText("Ready", 79), "Ready");
  EXPECT_EQ(CutText(std::string(200, 'a'), 127).size(), 127u);
  // "Größe" is G r \xC3\xB6 \xC3\x9F e: a cut inside a two-byte character drops all of it.
  const std::string word =
      "Gr\xC3\xB6\xC3\x9F"
      "e";
  EXPECT_EQ(CutText(word, 3), "Gr");
  EXPECT_EQ(CutText(word, 4), "Gr\xC3\xB6");
}

// Which words the viewer shows: translated texts from the controller's error object, or the
// built-in English ones.

// An error object that accepts the languages it has texts for. `echo` is what it reads back
// as its language; by default what it was given.
class FakeErrorObject final : public ComObject<IVexa_error> {
 public:
  HRESULT put_Language(BSTR language) override {
    const std::string name = Utf8FromBstr(language);
    if (name != "Deutsch" && name != "Deutsch2") {
      return E_INVALIDARG;
    }
    language_ = name;
    return S_OK;
  }
  HRESULT get_Language(BSTR* language) override {
    *language = BstrFromUtf8(echo.empty() ? language_ : echo);
    return S_OK;
  }
  HRESULT GetText(BSTR section, BSTR key, BSTR* text) override {
    const auto found = texts.find(Utf8FromBstr(key));
    const bool known = Utf8FromBstr(section) == "VexaOmbrixDCWindowText" && found != texts.end();
    *text = BstrFromUtf8(known ? found->second : "");
    return known ? S_OK : S_FALSE;
  }

  std::string echo;
  std::map<std::string, std::string> texts{
      {"33097", "Radialfehleransicht"}, {"33030", "Bereit"}, {"33204", ""}};

 private:
  std::string language_;
};

TEST(ViewerTextChoice, ErrorObjectIsKeptOnlyForAnAcceptedLanguageOtherThanEnglish) {
  // The language set, what the error object reads back, whether it is kept.
  const std::tuple<std::optional<std::string>, std::string, bool> cases[] = {
      {std::nullopt, "", false},       // no language set
      {"eNGLISH", "", false},          // English in any case: the built-in texts
      {"Klingon", "", false},          // refused
      {"Deutsch", "Deutsch2", false},  // took another language instead
      {"Deutsch", "Deutsc", false},    // read back shorter
      {"Deutsch", "", true},
  };
  for (const auto& [language, echo, kept] : cases) {
    ComPtr<FakeErrorObject> errorObject = MakeComObject<FakeErrorObject>();
    errorObject->echo = echo;
    EXPECT_EQ(KeepErrorObjectForLanguage(*errorObject.Get(), language), kept)
        << language.value_or("(absent)");
  }
}

TEST(ViewerTextChoice, KeptErrorObjectSuppliesTheTexts_BuiltInWordsFillItsGaps) {
  ComPtr<FakeErrorObject> errorObject = MakeComObject<FakeErrorObject>();
  const TextLookup text =
      ViewerTextLookup(ComPtr<IVexa_error>(errorObject), TextVariant::EnglishUK);
  EXPECT_EQ(text(33097), "Radialfehleransicht");
  EXPECT_EQ(text(33030), "Bereit");
  EXPECT_EQ(text(33116), "Centre");  // missing from its file: the built-in (UK) word
  EXPECT_EQ(text(33204), "sec");     // empty in its file: the built-in word too

  EXPECT_EQ(ViewerTextLookup(nullptr, TextVariant::EnglishUS)(33116), "Center");
}

}  // namespace

}  // namespace ombrixdc
