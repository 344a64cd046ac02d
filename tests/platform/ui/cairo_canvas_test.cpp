// Every drawing operation on a Cairo surface, compared with golden/primitives.png: drawn
// directly, and replayed from a display list that went through its byte form. Then the
// picture files the same paint writes, and the BMP files read, told apart from them.
#include "platform/ui/cairo_canvas.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/bitmap_file.h"
#include "platform/ui/display_list.h"
#include "platform/ui/render.h"
#include "platform/ui/text_metrics.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_folder.h"

namespace ui {
namespace {

constexpr const char* kGolden = "tests/platform/ui/golden/primitives.png";

// Lines leave out their last pixel; dotted lines and circles alternate one pixel on, one off.
void Primitives(Canvas& canvas, Rect) {
  canvas.SelectPen(Pen{{0, 0, 255}, 0, LineStyle::Solid});
  canvas.MoveTo({2, 5});
  canvas.LineTo({60, 5});   // rightward
  canvas.LineTo({60, 30});  // downward from the last pixel of the line before
  canvas.MoveTo({70, 30});
  canvas.LineTo({70, 4});  // upward
  canvas.SelectPen(Pen{{255, 0, 0}, 3, LineStyle::Solid});
  canvas.MoveTo({2, 15});
  canvas.LineTo({50, 15});
  canvas.SelectPen(Pen{{150, 150, 150}, 0, LineStyle::Dotted});
  canvas.MoveTo({2, 25});
  canvas.LineTo({50, 25});
  canvas.Circle({80, 4, 140, 64});
  canvas.SelectPen(Pen{{0, 0, 0}, 2, LineStyle::Solid});
  canvas.Circle({150, 4, 196, 50});
  canvas.SelectPen(Pen{{0, 0, 255}, 0, LineStyle::Solid});
  canvas.SelectBrush({255, 0, 0});
  canvas.PolyPolygon(std::vector<std::vector<Point>>{{{2, 40}, {50, 40}, {50, 88}, {2, 88}},
                                                     {{14, 52}, {38, 52}, {38, 76}, {14, 76}}});
  canvas.SelectBrush({0, 200, 0});
  canvas.Polygon(std::vector<Point>{{150, 60}, {196, 60}, {173, 90}});
  canvas.TextOut({60, 70}, "Default");
  canvas.SetTextColour({128, 0, 0});
  canvas.SelectFont(Font::VariablePitch);
  canvas.TextOut({60, 90}, "+ X 0.0040");
  canvas.SelectFont(Font::System);
  canvas.TextOut({60, 108}, "Form");
  canvas.DrawImage({2, 100}, Image{3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0, 0x808080, 0xFFFF00}});
}

TEST(CairoCanvas, EveryOperationDrawsItsPictureDirectlyAndReplayedFromBytes) {
  const Size size{200, 130};
  EXPECT_TRUE(golden_image::MatchesGolden(RenderToImage(size, Primitives), kGolden));
  DisplayList list;
  Primitives(list, {});
  const std::optional<DisplayList> copy = DisplayList::Deserialise(list.Serialise());
  ASSERT_TRUE(copy.has_value());
  EXPECT_TRUE(golden_image::MatchesGolden(
      RenderToImage(size, [&](Canvas& canvas, Rect) { copy->Replay(canvas); }), kGolden));
}

// Valid UTF-8 is drawn as it stands; any other byte string is read as Latin-1.
TEST(DrawableText, KeepsValidUtf8AndReadsAnythingElseAsLatin1) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"\xC3\x98 10 \xC2\xB5m", "\xC3\x98 10 \xC2\xB5m"},
      {"\xEF\x80\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF",
       "\xEF\x80\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"},  // U+F000, U+1F600, U+10FFFF
      {"\xE9t\xE9", "\xC3\xA9t\xC3\xA9"},
      {"\xC0\x80", "\xC3\x80\xC2\x80"},                          // overlong
      {"\xE0\x80\x80", "\xC3\xA0\xC2\x80\xC2\x80"},              // overlong
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},              // surrogate
      {"\xF0\x80\x80\x80", "\xC3\xB0\xC2\x80\xC2\x80\xC2\x80"},  // overlong
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},  // past U+10FFFF
      {std::string_view("a\0b", 3), "a"}};
  for (const auto& [text, drawn] : cases) {
    EXPECT_EQ(DrawableText(text), drawn) << text;
  }
}

// Each format its extension names, in any case; the same paint as a PNG reads back as the
// golden picture. Every caller refuses other extensions before it gets here.
TEST(Render, WritesTheFormatTheExtensionNames) {
  TempFolder folder;
  const std::pair<const char*, std::string> written[] = {
      {"plot.png", "\x89PNG\r\n\x1a\n"}, {"plot.SVG", "<?xml"}, {"plot.pdf", "%PDF-"}};
  for (const auto& [name, magic] : written) {
    const std::filesystem::path file = folder.Path() / name;
    std::string whyNot;
    ASSERT_TRUE(RenderToFile(file.string(), {200, 130}, Primitives, &whyNot)) << whyNot;
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}).substr(0, magic.size()), magic);
    EXPECT_FALSE(LoadBmp(file.string()).has_value()) << name;
  }
  EXPECT_TRUE(
      golden_image::MatchesGolden(golden_image::LoadPng(folder.Path() / "plot.png"), kGolden));
}

// A BMP file written by hand: the file header, then `info` (the bitmap header), then `pixels`.
std::string Bmp(std::vector<uint32_t> info, size_t infoSize, const std::string& pixels) {
  info.resize(infoSize / 4);
  std::string bmp = "BM" + std::string(12, '\0');
  bmp[10] = static_cast<char>(14 + infoSize);
  bmp.append(reinterpret_cast<const char*>(info.data()), infoSize);
  return bmp + pixels;
}

// A file that is no BMP picture is refused: the Render test reads its PNG, SVG and PDF back
// as none.
TEST(BitmapFiles, BmpReadsTopRowFirstAndBlendsAlphaOnWhite) {
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
}

}  // namespace
}  // namespace ui
