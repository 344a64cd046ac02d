#include "platform/ui/bitmap_file.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstring>

namespace ui {
namespace {

Image ImageOf(const GdkPixbuf* pixbuf) {
  Image image;
  image.width = gdk_pixbuf_get_width(pixbuf);
  image.height = gdk_pixbuf_get_height(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
  const guint8* data = gdk_pixbuf_read_pixels(pixbuf);
  image.pixels.reserve(static_cast<size_t>(image.width) * image.height);
  for (int32_t y = 0; y < image.height; ++y) {
    const guint8* row = data + static_cast<size_t>(y) * stride;
    for (int32_t x = 0; x < image.width; ++x) {
      const guint8* p = row + static_cast<size_t>(x) * channels;
      uint32_t rgb[3] = {p[0], p[1], p[2]};
      if (alpha) {
        for (uint32_t& c : rgb) {
          c = (c * p[3] + 255u * (255u - p[3]) + 127u) / 255u;
        }
      }
      image.pixels.push_back(rgb[0] << 16 | rgb[1] << 8 | rgb[2]);
    }
  }
  return image;
}

}  // namespace

std::optional<Image> LoadBmp(const std::string& path) {
  // Only BMP: a logo file of another format is as wrong as a damaged one.
  const GdkPixbufFormat* format = gdk_pixbuf_get_file_info(path.c_str(), nullptr, nullptr);
  if (format == nullptr) {
    return std::nullopt;
  }
  gchar* name = gdk_pixbuf_format_get_name(const_cast<GdkPixbufFormat*>(format));
  const bool isBmp = name != nullptr && std::strcmp(name, "bmp") == 0;
  g_free(name);
  if (!isBmp) {
    return std::nullopt;
  }
  GError* error = nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), &error);
  if (pixbuf == nullptr) {
    g_clear_error(&error);
    return std::nullopt;
  }
  std::optional<Image> image;
  if (gdk_pixbuf_get_colorspace(pixbuf) == GDK_COLORSPACE_RGB &&
      gdk_pixbuf_get_bits_per_sample(pixbuf) == 8 && gdk_pixbuf_get_n_channels(pixbuf) >= 3) {
    image = ImageOf(pixbuf);
  }
  g_object_unref(pixbuf);
  return image;
}

}  // namespace ui
