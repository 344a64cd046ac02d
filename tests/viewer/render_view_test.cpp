// Exports of the view and the logo lookup, on real Cairo surfaces and files.
#include "src/viewer/render_view.h"

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <fstream>

#include "src/viewer/data_sets_reader.h"
#include "src/viewer/viewer_logo.h"
#include "tests/files/golden_files.h"
#include "tests/support/temp_folder.h"

namespace ombrixdc {
namespace {

// The golden example with only the reference curve shown.
PaintInput ReferenceOnly() {
  PaintInput input;
  const auto read = ReadViewerDataSetsFile(GoldenFolder() / "results.dat", input.data, 0.001);
  EXPECT_TRUE(read.ok);
  input.RingIndex = read.ring.RingIndex;
  input.ShowReference = read.ShowReference;
  input.ShowFast = 0;
  input.ShowCorrected = 0;
  return input;
}

// Pixels of exactly this colour inside the plot (left of the panel's key).
int32_t CountPlotPixels(const std::filesystem::path& png, uint32_t rgb) {
  cairo_surface_t* surface = cairo_image_surface_create_from_png(png.c_str());
  EXPECT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS);
  int32_t count = 0;
  const int32_t stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  for (int32_t y = 0; data && y < cairo_image_surface_get_height(surface); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
    for (int32_t x = 0; x < 450; ++x) {
      count += (row[x] & 0xFFFFFF) == rgb ? 1 : 0;
    }
  }
  cairo_surface_destroy(surface);
  return count;
}

// The formats themselves are the window layer's; here the view is drawn into the file.
TEST(RenderView, DrawsTheViewIntoTheFileAndRefusesWhatItCannotWrite) {
  TempFolder folder;
  const auto png = folder.Path() / "view.png";
  ASSERT_TRUE(RenderViewToFile(png, kDefaultClientSize, ReferenceOnly()).ok);
  // A curve of 100 points two pixels wide around a nominal circle of radius 130.
  EXPECT_GT(CountPlotPixels(png, 0x0000FF), 500);
  EXPECT_EQ(CountPlotPixels(png, 0xFF0000), 0);
  for (auto [name, width] : {std::pair{"view.bmp", 400}, {"view.png", 0}}) {
    const RenderResult result =
        RenderViewToFile(folder.Path() / name, {width, 300}, ReferenceOnly());
    EXPECT_FALSE(result.ok || result.error.empty()) << name;
  }
}

// A BMP of `width` x `height`, every pixel `rgb`, written by gdk-pixbuf.
void WriteBmp(const std::filesystem::path& path, int32_t width, int32_t height, uint32_t rgb) {
  GdkPixbuf* picture = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
  gdk_pixbuf_fill(picture, rgb << 8);
  ASSERT_TRUE(gdk_pixbuf_save(picture, path.c_str(), "bmp", nullptr, nullptr));
  g_object_unref(picture);
}

TEST(ViewerLogo, DataFolderThenModuleFolderThenBuiltIn) {
  TempFolder data, module;
  WriteBmp(data.Path() / kLogoFileName, 300, 50, 0x112233);  // larger: cut to 216 x 42
  WriteBmp(module.Path() / kLogoFileName, 10, 5, 0x445566);  // smaller: padded with white
  const std::string modulePath = (module.Path() / "libombrixdc.so").string();

  const ui::Image fromData = LoadViewerLogo({data.Path(), modulePath});
  ASSERT_EQ(fromData.width, kLogoWidth);
  ASSERT_EQ(fromData.height, kLogoHeight);
  EXPECT_EQ(fromData.pixels.back(), 0x112233u);

  const ui::Image fromModule = LoadViewerLogo({data.Path() / "elsewhere", modulePath});
  ASSERT_EQ(fromModule.pixels.size(), static_cast<std::size_t>(kLogoWidth * kLogoHeight));
  EXPECT_EQ(fromModule.pixels[4 * kLogoWidth + 9], 0x445566u);
  EXPECT_EQ(fromModule.pixels[5 * kLogoWidth], 0xFFFFFFu);

  std::filesystem::create_directories(data.Path() / "damaged");
  std::ofstream(data.Path() / "damaged" / kLogoFileName) << "BM not really";
  EXPECT_EQ(LoadViewerLogo({data.Path() / "damaged", std::nullopt}), BuiltInLogo());
}

}  // namespace
}  // namespace ombrixdc
