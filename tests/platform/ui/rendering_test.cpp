#include "platform/ui/cairo_canvas.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/ui/bitmap_file.h"
#include "platform/ui/render.h"
#include "tests/support/temp_folder.h"

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
    for (size_t i = 0; i < 4; ++i) {
      const Point p = i < 2 ? c.blue[i] : c.white[i - 2];
      EXPECT_EQ(At(image, p), i < 2 ? kBlue : kWhite) << p.x << "," << p.y;
    }
  }
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

void Cross(Canvas& canvas, Rect client) {
  canvas.SelectPen(Pen{{255, 0, 0}, 2, LineStyle::Solid});
  canvas.MoveTo({client.left, client.top});
  canvas.LineTo({client.right, client.bottom});
  canvas.TextOut({5, 5}, "+ X");
}

std::string Contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A BMP file written by hand: the file header, then `info` (the bitmap header), then `pixels`.
std::string Bmp(std::vector<uint32_t> info, size_t infoSize, const std::string& pixels) {
  info.resize(infoSize / 4);
  std::string bmp = "BM" + std::string(12, '\0');
  bmp[10] = static_cast<char>(14 + infoSize);
  bmp.append(reinterpret_cast<const char*>(info.data()), infoSize);
  return bmp + pixels;
}

TEST(BitmapFiles, BmpReadsTopRowFirstBlendsAlphaOnWhiteAndRefusesPicturesWrittenAsOtherFormats) {
  TempFolder folder;
  // 24 bits, 2 x 2, bottom row first, pixels as blue, green, red, rows padded to 4 bytes:
  // green, white / red, blue.
  const std::string plain = Bmp({40, 2, 2, 0x180001, 0, 16}, 40,
                                std::string("\x00\xFF\x00\xFF\xFF\xFF\x00\x00"
                                            "\x00\x00\xFF\xFF\x00\x00\x00\x00",
                                            16));
  EXPECT_EQ(LoadBmp(folder.Write("logo.bmp", plain).string()),
            (Image{2, 2, {0xFF0000, 0x0000FF, 0x00FF00, 0xFFFFFF}}));
  // 32 bits with alpha: transparent red, half-transparent blue, opaque green.
  const std::string alpha =
      Bmp({108, 3, 1, 0x200001, 3, 12, 0, 0, 0, 0, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 108,
          std::string("\x00\x00\xFF\x00\xFF\x00\x00\x80\x00\xFF\x00\xFF", 12));
  EXPECT_EQ(LoadBmp(folder.Write("alpha.bmp", alpha).string()),
            (Image{3, 1, {0xFFFFFF, 0x7F7FFF, 0x00FF00}}));

  // Pictures written in the format their extension names are no BMP.
  const std::pair<const char*, std::string> written[] = {
      {"plot.png", "\x89PNG\r\n\x1a\n"}, {"plot.SVG", "<?xml"}, {"plot.pdf", "%PDF-"}};
  for (const auto& [name, magic] : written) {
    const std::filesystem::path file = folder.Path() / name;
    std::string whyNot;
    ASSERT_TRUE(RenderToFile(file.string(), {120, 80}, Cross, &whyNot)) << whyNot;
    EXPECT_EQ(Contents(file).substr(0, magic.size()), magic) << name;
    EXPECT_FALSE(LoadBmp(file.string()).has_value()) << name;
  }
  EXPECT_FALSE(LoadBmp(folder.Write("cut.bmp", plain.substr(0, 30)).string()));
  EXPECT_FALSE(LoadBmp((folder.Path() / "absent.bmp").string()).has_value());
}

}  // namespace
}  // namespace ui
