// Reading BMP files, and telling them from the pictures the render writes.
#include "platform/ui/bitmap_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace ui {
namespace {

// A BMP file written by hand: the file header, then `info` (the bitmap header), then `pixels`.
std::string Bmp(std::vector<uint32_t> info, size_t infoSize, const std::string& pixels) {
  info.resize(infoSize / 4);
  std::string bmp = "BM" + std::string(12, '\0');
  bmp[10] = static_cast<char>(14 + infoSize);
  bmp.append(reinterpret_cast<const char*>(info.data()), infoSize);
  return bmp + pixels;
}

TEST(BitmapFiles, BmpReadsTopRowFirstBlendsAlphaOnWhiteAndRefusesDamagedFiles) {
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

  EXPECT_FALSE(LoadBmp(folder.Write("cut.bmp", plain.substr(0, 30)).string()));
  EXPECT_FALSE(LoadBmp((folder.Path() / "absent.bmp").string()).has_value());
}

}  // namespace
}  // namespace ui
