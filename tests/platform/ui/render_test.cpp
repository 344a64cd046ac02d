#include "platform/ui/render.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/ui/bitmap_file.h"
#include "tests/support/temp_folder.h"

namespace ui {
namespace {

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

TEST(RenderToFile, WritesTheFormatOfTheExtension) {
  TempFolder folder;
  struct Case {
    const char* name;
    std::string magic;
  };
  const Case cases[] = {
      {"plot.png", "\x89PNG\r\n\x1a\n"}, {"plot.SVG", "<?xml"}, {"plot.pdf", "%PDF-"}};
  for (const Case& c : cases) {
    const std::filesystem::path file = folder.Path() / c.name;
    std::string whyNot;
    ASSERT_TRUE(RenderToFile(file.string(), {120, 80}, Cross, &whyNot)) << whyNot;
    EXPECT_EQ(Contents(file).substr(0, c.magic.size()), c.magic) << c.name;
  }
  EXPECT_NE(Contents(folder.Path() / "plot.SVG").find("<svg"), std::string::npos);
}

// A 24-bit bottom-up BMP of 2 x 2 pixels written by hand: the rows are stored bottom first,
// pixels as blue, green, red, each row padded to 4 bytes.
std::string TwoByTwoBmp() {
  std::string bmp = "BM";
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      bmp += static_cast<char>(v >> (8 * i));
    }
  };
  auto u16 = [&](uint16_t v) {
    bmp += static_cast<char>(v);
    bmp += static_cast<char>(v >> 8);
  };
  u32(54 + 16), u32(0), u32(54);             // file size, reserved, pixel offset
  u32(40), u32(2), u32(2), u16(1), u16(24);  // header size, width, height, planes, bits
  u32(0), u32(16), u32(2835), u32(2835), u32(0), u32(0);
  bmp += std::string(
      "\x00\xFF\x00"
      "\xFF\xFF\xFF"
      "\x00\x00",
      8);  // bottom: green, white
  bmp += std::string(
      "\x00\x00\xFF"
      "\xFF\x00\x00"
      "\x00\x00",
      8);  // top: red, blue
  return bmp;
}

TEST(LoadBmp, ReadsPixelsTopRowFirstAndRefusesOtherFiles) {
  TempFolder folder;
  const std::optional<Image> image = LoadBmp(folder.Write("logo.bmp", TwoByTwoBmp()).string());
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(*image, (Image{2, 2, {0xFF0000, 0x0000FF, 0x00FF00, 0xFFFFFF}}));
  // A 32-bit logo with alpha: transparent red, half-transparent blue, opaque green on white.
  std::string alpha = "BM" + std::string(12, '\0');
  alpha[10] = 14 + 108;
  std::string info(108, '\0');
  const uint32_t fields[] = {108, 3, 1, 0x200001, 3,      12,   0,
                             0,   0, 0, 0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  std::memcpy(info.data(), fields, sizeof fields);  // size, width, height, planes + bits, ...
  alpha += info + std::string("\x00\x00\xFF\x00\xFF\x00\x00\x80\x00\xFF\x00\xFF", 12);
  EXPECT_EQ(LoadBmp(folder.Write("alpha.bmp", alpha).string()),
            (Image{3, 1, {0xFFFFFF, 0x7F7FFF, 0x00FF00}}));

  std::string whyNot;
  ASSERT_TRUE(RenderToFile((folder.Path() / "logo.png").string(), {4, 4}, Cross, &whyNot));
  EXPECT_FALSE(LoadBmp((folder.Path() / "logo.png").string()).has_value()) << "not a BMP";
  EXPECT_FALSE(LoadBmp(folder.Write("cut.bmp", TwoByTwoBmp().substr(0, 30)).string()));
  EXPECT_FALSE(LoadBmp((folder.Path() / "absent.bmp").string()).has_value());
}

}  // namespace
}  // namespace ui
