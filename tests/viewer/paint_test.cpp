// The Radial Error View's paint, drawn on a Cairo surface as `ombrixdc render` draws it and
// compared with the pictures kept in golden/ (look at them: they are what a user must see).
#include "src/viewer/paint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "platform/ui/render.h"
#include "src/viewer/data_sets_reader.h"
#include "src/viewer/paint_parts.h"
#include "src/viewer/render_view.h"
#include "src/viewer/viewer_logo.h"
#include "src/viewer/viewer_text.h"
#include "tests/files/golden_files.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_folder.h"

namespace ombrixdc {
namespace {

// Whether the paint of `input` matches the picture golden/NAME.png.
bool PaintsLikeGolden(const PaintInput& input, const std::string& name,
                      ui::Size size = kDefaultClientSize) {
  const ui::Image image = ui::RenderToImage(size, [&](ui::Canvas& canvas, ui::Rect client) {
    PaintRadialErrorView(canvas, client, input);
  });
  return golden_image::MatchesGolden(image, "tests/viewer/golden/" + name + ".png");
}

// The example run with a machine repeatability of 1 micron: the band is drawn, the reference
// curve shown.
PaintInput Example(int32_t metrologyView) {
  PaintInput input;
  input.SlowSpeedRepeatability = 0.001;
  const auto read = ReadViewerDataSetsFile(GoldenFolder() / "results.dat", input.data, 0.001);
  EXPECT_TRUE(read.ok);
  input.RingIndex = read.ring.RingIndex;
  input.ShowReference = read.ShowReference;
  input.MetrologyView = metrologyView;
  input.logo = BuiltInLogo();
  input.text = BuiltInTextLookup(TextVariant::EnglishUS);
  return input;
}

TEST(Paint, EachViewOfTheExampleMatchesItsPicture) {
  EXPECT_TRUE(PaintsLikeGolden(Example(1), "metrology"));
  EXPECT_TRUE(PaintsLikeGolden(Example(0), "normalised"));
}

// A feature in inches far from the origin with its reference hidden: set k is lobed with a
// form of 4(k + 1) microns; one point lies far outside the rings and one is not a number. A
// tall window limits the plot's radius by the room beside the panel, a wide one by the
// height; the centre's X widens its column, its Z is too wide for any and shows "n/a".
TEST(Paint, UnusualFeaturesMatchTheirPicturesAtTallAndWideSizes) {
  PaintInput input;
  input.data.MeasuringUnit = 1;
  input.data.FeatureRadius = 8.0;
  input.data.Centre = {123456789.5, -120.0, 1e300};
  input.data.Normal = {0.0, 0.0, 1.0};
  input.data.Xaxis = {0.0, 1.0, 0.0};
  input.data.SlowSpeed = 5.0;
  input.data.FastSpeed = input.data.CorrectedSpeed = 30.0;
  for (size_t k = 0; k < input.data.sets.size(); ++k) {
    ViewerDataSet& set = input.data.sets[k];
    set = {{}, {}, 0.004 * static_cast<double>(k + 1), 8.0 + 0.01 * static_cast<double>(k), {}};
    for (int32_t i = 0; i < 36; ++i) {
      set.angles.push_back(i * MA_PI / 18);
      set.radii.push_back(8.0 + 0.002 * static_cast<double>(k + 1) * std::cos(i * MA_PI / 6 + k));
    }
  }
  input.data.sets[1].radii[9] = 8.05;
  input.data.sets[2].radii[30] = NAN;
  input.RingIndex = 2;
  input.ShowReference = 0;
  input.text = BuiltInTextLookup(TextVariant::EnglishUK);
  EXPECT_TRUE(PaintsLikeGolden(input, "tall", {600, 900}));
  input.RingIndex = 7;
  input.MetrologyView = 0;
  input.ShowGrid = 0;
  input.ShowFast = 0;
  input.data.FeatureRadius = 1e200;  // a diameter too long for its cell
  EXPECT_TRUE(PaintsLikeGolden(input, "wide", {1100, 560}));
}

TEST(Paint, NumberFormatsAndValuesTooLargeToShow) {
  EXPECT_EQ(paint::FormatDecimals(2.25, 1), "2.2");  // 2.25 rounds to even, as printf does
  EXPECT_EQ(paint::FormatDecimals(-1e114, 1).value_or("").size(), 118u);
  EXPECT_EQ(paint::FormatDecimals(1e116, 4), std::nullopt);  // 122 characters
}

// The logo comes from the data folder's file, else the one beside the module, else it is
// drawn; a file that cannot be read is passed over. The files are one pixel, padded with white.
TEST(ViewerLogo, DataFolderFirstThenBesideTheModuleThenBuiltIn) {
  TempFolder data, module;
  const auto onePixel = [](const char* blueGreenRed) {  // a 24-bit 1 x 1 BMP file
    std::string bmp("BM\0\0\0\0\0\0\0\0\x36\0\0\0", 14);
    const uint32_t info[10] = {40, 1, 1, 0x180001, 0, 4};
    bmp.append(reinterpret_cast<const char*>(info), sizeof info);
    return bmp + std::string(blueGreenRed, 3) + '\0';
  };
  const std::string moduleFile = (module.Path() / "libombrixdc.so").string();
  module.Write(kLogoFileName, onePixel("\xFF\0\0"));  // blue
  const ui::Image builtIn = BuiltInLogo();
  // What the data folder holds, whether the module path is given, the logo's first pixel.
  const std::tuple<std::string, bool, uint32_t> cases[] = {
      {onePixel("\0\0\xFF"), true, 0xFF0000},  // red, from the data folder
      {"", true, 0x0000FF},                    // no data folder file: the module's
      {"BM", true, 0x0000FF},                  // damaged: the module's
      {"", false, builtIn.pixels[0]},
  };
  for (const auto& [file, withModule, pixel] : cases) {
    std::filesystem::remove(data.Path() / kLogoFileName);
    if (!file.empty()) {
      data.Write(kLogoFileName, file);
    }
    const ui::Image logo =
        LoadViewerLogo({data.Path(), withModule ? std::optional(moduleFile) : std::nullopt});
    ASSERT_EQ(logo.width * logo.height, kLogoWidth * kLogoHeight);
    EXPECT_EQ(logo.pixels[0], pixel) << file.size() << withModule;
    EXPECT_EQ(logo.pixels[1], withModule ? 0xFFFFFFu : builtIn.pixels[1]);
  }
}

}  // namespace
}  // namespace ombrixdc
