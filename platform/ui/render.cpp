#include "platform/ui/render.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <cstring>
#include <filesystem>

#include "platform/text/ascii.h"
#include "platform/ui/cairo_canvas.h"

namespace ui {
namespace {

constexpr int32_t kLargestSide = 32767;  // cairo's limit for image surfaces

void PaintOn(cairo_surface_t* surface, Size size, const PaintFunction& paint) {
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
  cairo_paint(cr);
  {
    CairoCanvas canvas(cr);
    paint(canvas, Rect{0, 0, size.width, size.height});
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
}

bool Fail(std::string* whyNot, const std::string& reason) {
  if (whyNot != nullptr) {
    *whyNot = reason;
  }
  return false;
}

bool SizeUsable(Size size) {
  return size.width > 0 && size.height > 0 && size.width <= kLargestSide &&
         size.height <= kLargestSide;
}

}  // namespace

Image RenderToImage(Size size, const PaintFunction& paint) {
  Image image;
  if (!SizeUsable(size)) {
    return image;
  }
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width, size.height);
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
    PaintOn(surface, size, paint);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    image.width = size.width;
    image.height = size.height;
    image.pixels.resize(static_cast<size_t>(size.width) * size.height);
    for (int32_t row = 0; row < size.height; ++row) {
      std::memcpy(image.pixels.data() + static_cast<size_t>(row) * size.width,
                  data + static_cast<size_t>(row) * stride,
                  static_cast<size_t>(size.width) * sizeof(uint32_t));
    }
    for (uint32_t& pixel : image.pixels) {
      pixel &= 0x00FFFFFFu;  // RGB24 leaves the top byte undefined
    }
  }
  cairo_surface_destroy(surface);
  return image;
}

bool RenderToFile(const std::string& path, Size size, const PaintFunction& paint,
                  std::string* whyNot) {
  const std::string extension = AsciiLowerCase(std::filesystem::path(path).extension().string());
  if (extension != ".png" && extension != ".svg" && extension != ".pdf") {
    return Fail(whyNot, "unknown picture format '" + extension + "' (use .png, .svg or .pdf)");
  }
  if (!SizeUsable(size)) {
    return Fail(whyNot, "picture size must be between 1 and 32767 pixels each way");
  }
  cairo_surface_t* surface = nullptr;
  if (extension == ".svg") {
    surface = cairo_svg_surface_create(path.c_str(), size.width, size.height);
  } else if (extension == ".pdf") {
    surface = cairo_pdf_surface_create(path.c_str(), size.width, size.height);
  } else {
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width, size.height);
  }
  cairo_status_t status = cairo_surface_status(surface);
  if (status == CAIRO_STATUS_SUCCESS) {
    PaintOn(surface, size, paint);
    if (extension == ".png") {
      status = cairo_surface_write_to_png(surface, path.c_str());
    }
    cairo_surface_finish(surface);  // vector files are completed and closed here
    if (status == CAIRO_STATUS_SUCCESS) {
      status = cairo_surface_status(surface);
    }
  }
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    return Fail(whyNot, "cannot write " + path + ": " + cairo_status_to_string(status));
  }
  return true;
}

}  // namespace ui
