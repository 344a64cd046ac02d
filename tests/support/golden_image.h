#pragma once
// Compares a rendered picture with a PNG kept beside the tests. Channels may differ by a few
// levels (anti-aliasing); anything more fails, and the rendered picture and a difference image
// (differing pixels red over a faded copy) are written to the working directory, the build's
// test folder, and named in the message. OMBRIXDC_UPDATE_GOLDEN=1 rewrites the kept PNG.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/ui/canvas.h"

namespace golden_image {

inline constexpr int32_t kChannelTolerance = 40;

inline bool SavePng(const ui::Image& image, const std::filesystem::path& path) {
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(image.pixels.data())),
      CAIRO_FORMAT_RGB24, image.width, image.height, image.width * 4);
  const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok;
}

inline ui::Image LoadPng(const std::filesystem::path& path) {
  cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
  ui::Image image;
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
    image.width = cairo_image_surface_get_width(surface);
    image.height = cairo_image_surface_get_height(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int32_t y = 0; y < image.height; ++y) {
      const auto* row =
          reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface));
      for (int32_t x = 0; x < image.width; ++x) {
        image.pixels.push_back(row[x] & 0xFFFFFF);
      }
    }
  }
  cairo_surface_destroy(surface);
  return image;
}

// `golden` is relative to the source tree, e.g. "tests/viewer/golden/metrology.png".
inline ::testing::AssertionResult MatchesGolden(const ui::Image& image, const std::string& golden) {
  const std::filesystem::path kept = std::filesystem::path(OMBRIXDC_SOURCE_DIR) / golden;
  if (std::getenv("OMBRIXDC_UPDATE_GOLDEN")) {
    return SavePng(image, kept) ? ::testing::AssertionSuccess()
                                : ::testing::AssertionFailure() << "cannot write " << kept;
  }
  const ui::Image expected = LoadPng(kept);
  ui::Image difference = image;
  int32_t differing = 0;
  const bool sameSize = expected.width == image.width && expected.height == image.height;
  for (size_t i = 0; sameSize && i < image.pixels.size(); ++i) {
    bool close = true;
    for (int32_t shift : {0, 8, 16}) {
      const int32_t a = (image.pixels[i] >> shift) & 0xFF, b = (expected.pixels[i] >> shift) & 0xFF;
      close = close && std::abs(a - b) <= kChannelTolerance;
    }
    differing += close ? 0 : 1;
    difference.pixels[i] = close ? 0xC0C0C0 + ((image.pixels[i] >> 2) & 0x3F3F3F) : 0xFF0000;
  }
  if (sameSize && differing == 0) {
    return ::testing::AssertionSuccess();
  }
  const std::string stem = std::filesystem::absolute(std::filesystem::path(golden).stem());
  const std::string rendered = stem + "-rendered.png", diff = stem + "-difference.png";
  SavePng(image, rendered);
  if (sameSize) {
    SavePng(difference, diff);
  }
  return ::testing::AssertionFailure()
         << golden << ": " << image.width << "x" << image.height << " rendered against "
         << expected.width << "x" << expected.height << " kept, " << differing
         << " pixels differ; rendered: " << rendered
         << (sameSize ? "; difference: " + diff : std::string());
}

}  // namespace golden_image
