#include "platform/ui/cairo_canvas.h"

#include <gtest/gtest.h>

#include "platform/ui/display_list.h"
#include "platform/ui/render.h"
#include "platform/ui/text_metrics.h"

namespace ui {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kRed = 0xFF0000;

uint32_t At(const Image& image, int32_t x, int32_t y) {
  return image.pixels[static_cast<size_t>(y) * image.width + x];
}

TEST(CairoCanvas, LinesCoverTheirPixelsButNotTheLastOne) {
  struct Case {
    Point from, to;
    Point first, beforeLast, last;
  };
  const Case cases[] = {
      {{2, 5}, {12, 5}, {2, 5}, {11, 5}, {12, 5}},  // rightward
      {{9, 15}, {9, 1}, {9, 15}, {9, 2}, {9, 1}},   // upward
  };
  for (const Case& c : cases) {
    const Image image = RenderToImage({20, 20}, [&](Canvas& canvas, Rect) {
      canvas.SelectPen(Pen{{0, 0, 255}, 0, LineStyle::Solid});
      canvas.MoveTo(c.from);
      canvas.LineTo(c.to);
    });
    EXPECT_EQ(At(image, c.first.x, c.first.y), kBlue);
    EXPECT_EQ(At(image, c.beforeLast.x, c.beforeLast.y), kBlue);
    EXPECT_EQ(At(image, c.last.x, c.last.y), kWhite);
    EXPECT_EQ(At(image, c.from.x + (c.from.x == c.to.x), c.from.y + (c.from.y == c.to.y)), kWhite)
        << "one pixel wide";
  }
  const Image wide = RenderToImage({20, 20}, [](Canvas& canvas, Rect) {
    canvas.SelectPen(Pen{{0, 0, 255}, 3, LineStyle::Solid});
    canvas.MoveTo({2, 10});
    canvas.LineTo({12, 10});
  });
  EXPECT_EQ(At(wide, 6, 9), kBlue) << "a wider pen covers the pixels beside the line";
  EXPECT_EQ(At(wide, 6, 11), kBlue);
  EXPECT_EQ(At(wide, 6, 12), kWhite);
}

TEST(CairoCanvas, DottedCircleAlternatesOnItsOutlineAndStaysInItsBox) {
  const Rect box{10, 10, 51, 51};  // radius 20 about (30, 30)
  const Image image = RenderToImage({60, 60}, [&](Canvas& canvas, Rect) {
    canvas.SelectPen(Pen{{150, 150, 150}, 0, LineStyle::Dotted});
    canvas.Circle(box);
  });
  int32_t inked = 0, gaps = 0, outside = 0;
  for (int32_t y = 0; y < image.height; ++y) {
    for (int32_t x = 0; x < image.width; ++x) {
      if (At(image, x, y) == kWhite) {
        continue;
      }
      EXPECT_EQ(At(image, x, y), 0x969696u) << "thin pens draw whole pixels";
      outside += (x < box.left || x >= box.right || y < box.top || y >= box.bottom);
      ++inked;
    }
  }
  // Along the top row of the circle the dots leave gaps.
  for (int32_t x = 25; x < 36; ++x) {
    gaps += At(image, x, 10) == kWhite;
  }
  EXPECT_EQ(outside, 0);
  EXPECT_GT(inked, 40);   // a full circle of radius 20 has ~120 outline pixels, half inked
  EXPECT_LT(inked, 100);  // ... and half of them left out
  EXPECT_GT(gaps, 2);
}

TEST(CairoCanvas, PolygonSetFillsEvenOddLeavingTheHoleWhite) {
  const Image image = RenderToImage({40, 40}, [](Canvas& canvas, Rect) {
    canvas.SelectPen(Pen{{0, 0, 255}, 0, LineStyle::Solid});
    canvas.SelectBrush({255, 0, 0});
    const std::vector<std::vector<Point>> band = {{{2, 2}, {37, 2}, {37, 37}, {2, 37}},
                                                  {{12, 12}, {27, 12}, {27, 27}, {12, 27}}};
    canvas.PolyPolygon(band);
  });
  EXPECT_EQ(At(image, 2, 2), kBlue);     // outline
  EXPECT_EQ(At(image, 6, 20), kRed);     // between the outlines
  EXPECT_EQ(At(image, 20, 20), kWhite);  // inside both: not filled
  EXPECT_EQ(At(image, 12, 20), kBlue);   // the inner outline
  EXPECT_EQ(At(image, 0, 0), kWhite);
}

TEST(TextMetrics, DisplayListAndCairoMeasureAlikeAndTextStartsAtItsTopLeft) {
  const std::string samples[] = {"Nominal Diameter", "Centre \xB5m"};
  for (const Font font : {Font::Default, Font::VariablePitch, Font::System}) {
    DisplayList list;
    list.SelectFont(font);
    const Image image = RenderToImage({300, 40}, [&](Canvas& canvas, Rect) {
      canvas.SelectFont(font);
      for (const std::string& text : samples) {
        EXPECT_EQ(canvas.TextExtent(text), list.TextExtent(text)) << text;
      }
      canvas.TextOut({20, 10}, "Hx");
    });
    const Size extent = list.TextExtent("Hx");
    EXPECT_EQ(extent.height, MetricsOf(font).lineHeight);
    // The ink of "Hx" lies inside the measured box at (20, 10).
    int32_t inked = 0;
    for (int32_t y = 0; y < image.height; ++y) {
      for (int32_t x = 0; x < image.width; ++x) {
        if (At(image, x, y) != kWhite) {
          ++inked;
          EXPECT_TRUE(x >= 20 && x < 20 + extent.width + 1 && y >= 10 && y < 10 + extent.height)
              << x << "," << y;
        }
      }
    }
    EXPECT_GT(inked, 20);
  }
  EXPECT_GT(MeasureText(Font::System, "WWW").width, MeasureText(Font::System, "iii").width);
}

}  // namespace
}  // namespace ui
