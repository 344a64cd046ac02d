// The golden example read by the viewer and drawn into an image file on a real Cairo surface;
// the formats are the window layer's.
#include "src/viewer/render_view.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "src/viewer/data_sets_reader.h"
#include "tests/files/golden_files.h"
#include "tests/support/temp_folder.h"

namespace ombrixdc {
namespace {

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

}  // namespace
}  // namespace ombrixdc
