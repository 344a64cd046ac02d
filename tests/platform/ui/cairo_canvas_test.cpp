#include "platform/ui/cairo_canvas.h"

#include <gtest/gtest.h>

#include "platform/ui/display_list.h"
#include "platform/ui/render.h"
#include "platform/ui/text_metrics.h"

namespace ui {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlue = 0x0000FF, kRed = 0xFF0000;

uint32_t At(const Image& image, Point p) {
  return image.pixels[static_cast<size_t>(p.y) * image.width + p.x];
}

TEST(CairoCanvas, LinesCoverTheirPixelsButNotTheLastAndWidePensTheirNeighbours) {
  const struct {
    Point from, to;
    int32_t width;
    std::vector<Point> blue, white;
  } cases[] = {
      {{2, 5}, {12, 5}, 0, {{2, 5}, {11, 5}}, {{12, 5}, {3, 6}}},      // rightward, one pixel wide
      {{9, 15}, {9, 1}, 0, {{9, 15}, {9, 2}}, {{9, 1}, {10, 15}}},     // upward
      {{2, 10}, {12, 10}, 3, {{6, 9}, {6, 11}}, {{6, 12}, {12, 10}}},  // three pixels wide
  };
  for (const auto& c : cases) {
    const Image image = RenderToImage({20, 20}, [&](Canvas& canvas, Rect) {
      canvas.SelectPen(Pen{{0, 0, 255}, c.width, LineStyle::Solid});
      canvas.MoveTo(c.from);
      canvas.LineTo(c.to);
    });
    for (const Point p : c.blue) {
      EXPECT_EQ(At(image, p), kBlue) << p.x << "," << p.y;
    }
    for (const Point p : c.white) {
      EXPECT_EQ(At(image, p), kWhite) << p.x << "," << p.y;
    }
  }
}

TEST(CairoCanvas, DottedCircleStaysInItsBoxInWholePixelsWithGaps) {
  const Image image = RenderToImage({60, 60}, [&](Canvas& canvas, Rect) {
    canvas.SelectPen(Pen{{150, 150, 150}, 0, LineStyle::Dotted});
    canvas.Circle({10, 10, 51, 51});  // radius 20 about (30, 30)
  });
  int32_t inked = 0;
  for (int32_t i = 0; i < 60 * 60; ++i) {
    const Point p{i % 60, i / 60};
    if (At(image, p) != kWhite) {
      ++inked;
      EXPECT_EQ(At(image, p), 0x969696u) << "thin pens draw whole pixels";
      EXPECT_TRUE(p.x >= 10 && p.x < 51 && p.y >= 10 && p.y < 51) << p.x << "," << p.y;
    }
  }
  // A full circle of radius 20 has ~120 outline pixels, about half of them inked.
  EXPECT_GT(inked, 40);
  EXPECT_LT(inked, 100);
}

TEST(CairoCanvas, PolygonSetFillsEvenOddLeavingTheHoleWhite) {
  const Image image = RenderToImage({40, 40}, [](Canvas& canvas, Rect) {
    canvas.SelectPen(Pen{{0, 0, 255}, 0, LineStyle::Solid});
    canvas.SelectBrush({255, 0, 0});
    canvas.PolyPolygon(std::vector<std::vector<Point>>{{{2, 2}, {37, 2}, {37, 37}, {2, 37}},
                                                       {{12, 12}, {27, 12}, {27, 27}, {12, 27}}});
  });
  EXPECT_EQ(At(image, {2, 2}), kBlue);     // outline
  EXPECT_EQ(At(image, {6, 20}), kRed);     // between the outlines
  EXPECT_EQ(At(image, {12, 20}), kBlue);   // the inner outline
  EXPECT_EQ(At(image, {20, 20}), kWhite);  // inside both: not filled
}

TEST(TextMetrics, DisplayListAndCairoMeasureAlikeAndTextInksOnlyItsBox) {
  for (const Font font : {Font::Default, Font::VariablePitch, Font::System}) {
    DisplayList list;
    list.SelectFont(font);
    const Image image = RenderToImage({300, 40}, [&](Canvas& canvas, Rect) {
      canvas.SelectFont(font);
      EXPECT_EQ(canvas.TextExtent("Centre \xB5m"), list.TextExtent("Centre \xB5m"));
      canvas.TextOut({20, 10}, "Hx");
    });
    const Size extent = list.TextExtent("Hx");
    EXPECT_EQ(extent.height, MetricsOf(font).lineHeight);
    int32_t inked = 0;
    for (int32_t i = 0; i < 300 * 40; ++i) {
      const Point p{i % 300, i / 300};
      if (At(image, p) != kWhite) {
        ++inked;
        EXPECT_TRUE(p.x >= 20 && p.x <= 20 + extent.width && p.y >= 10 && p.y < 10 + extent.height)
            << p.x << "," << p.y;
      }
    }
    EXPECT_GT(inked, 20);
  }
  EXPECT_GT(MeasureText(Font::System, "WWW").width, MeasureText(Font::System, "iii").width);
}

}  // namespace
}  // namespace ui
