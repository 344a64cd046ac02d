#include "tools/ombrixdc-window/toolbar_icons.h"

#include <cairo.h>
#include <gdk/gdk.h>

#include <cmath>
#include <initializer_list>

namespace {

constexpr int kSide = 16;

void Lens(cairo_t* cr, bool plus) {
  cairo_set_line_width(cr, 1.5);
  cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
  cairo_arc(cr, 6.5, 6.5, 4.5, 0, 2 * M_PI);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 2.5);
  cairo_move_to(cr, 10, 10);
  cairo_line_to(cr, 14.5, 14.5);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 1.5);
  cairo_move_to(cr, 4, 6.5);
  cairo_line_to(cr, 9, 6.5);
  if (plus) {
    cairo_move_to(cr, 6.5, 4);
    cairo_line_to(cr, 6.5, 9);
  }
  cairo_stroke(cr);
}

void Draw(cairo_t* cr, int32_t image) {
  cairo_set_line_width(cr, 1.0);
  switch (image) {
    case 0:  // an open folder
      cairo_set_source_rgb(cr, 0.85, 0.65, 0.2);
      cairo_rectangle(cr, 1.5, 4.5, 12, 9);
      cairo_fill_preserve(cr);
      cairo_set_source_rgb(cr, 0.45, 0.3, 0.05);
      cairo_stroke(cr);
      cairo_move_to(cr, 1.5, 4.5);
      cairo_line_to(cr, 3.5, 2.5);
      cairo_line_to(cr, 6.5, 2.5);
      cairo_line_to(cr, 7.5, 4.5);
      cairo_stroke(cr);
      break;
    case 1:  // a measured circle on its axes
      cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
      cairo_move_to(cr, 0.5, 8.5), cairo_line_to(cr, 15.5, 8.5);
      cairo_move_to(cr, 8.5, 0.5), cairo_line_to(cr, 8.5, 15.5);
      cairo_stroke(cr);
      cairo_set_source_rgb(cr, 0.8, 0, 0);
      cairo_set_line_width(cr, 1.5);
      cairo_arc(cr, 8.5, 8.5, 5.5, 0, 2 * M_PI);
      cairo_stroke(cr);
      break;
    case 2:  // the reference scan
      cairo_set_source_rgb(cr, 0, 0, 1);
      cairo_set_line_width(cr, 2);
      for (int i = 0; i <= 48; ++i) {
        const double a = 2 * M_PI * i / 48;
        const double r = 5.5 + 0.8 * std::sin(5 * a);
        i == 0 ? cairo_move_to(cr, 8 + r * std::cos(a), 8 - r * std::sin(a))
               : cairo_line_to(cr, 8 + r * std::cos(a), 8 - r * std::sin(a));
      }
      cairo_stroke(cr);
      break;
    case 3:
    case 4:
      Lens(cr, image == 3);
      break;
    case 5: {  // dotted rings
      const double dots[] = {1.0, 1.0};
      cairo_set_dash(cr, dots, 2, 0);
      cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
      for (const double r : {2.5, 5.0, 7.0}) {
        cairo_arc(cr, 8, 8, r, 0, 2 * M_PI);
        cairo_stroke(cr);
      }
      break;
    }
    default:
      break;
  }
}

// The window's icon: a small Radial Error View, rings and the three scans' curves.
void DrawIcon(cairo_t* cr, int side) {
  const double c = side / 2.0;
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_arc(cr, c, c, c - 1, 0, 2 * M_PI);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
  cairo_set_line_width(cr, side / 24.0);
  cairo_stroke(cr);
  const double dots[] = {side / 32.0, side / 32.0};
  cairo_set_dash(cr, dots, 2, 0);
  for (const double f : {0.2, 0.4}) {
    cairo_arc(cr, c, c, side * f, 0, 2 * M_PI);
    cairo_stroke(cr);
  }
  cairo_set_dash(cr, nullptr, 0, 0);
  const double colours[3][3] = {{0, 0, 1}, {1, 0, 0}, {0, 0.75, 0}};
  const double ripple[3] = {0.02, 0.06, 0.015};
  cairo_set_line_width(cr, side / 16.0);
  for (int k = 0; k < 3; ++k) {
    cairo_set_source_rgb(cr, colours[k][0], colours[k][1], colours[k][2]);
    for (int i = 0; i <= 72; ++i) {
      const double a = 2 * M_PI * i / 72;
      const double r = side * (0.3 + ripple[k] * std::sin(3 * a + k));
      i == 0 ? cairo_move_to(cr, c + r * std::cos(a), c - r * std::sin(a))
             : cairo_line_to(cr, c + r * std::cos(a), c - r * std::sin(a));
    }
    cairo_stroke(cr);
  }
}

GdkPixbuf* Picture(int side, void (*draw)(cairo_t*, int), int32_t image) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
  cairo_t* cr = cairo_create(surface);
  draw ? draw(cr, side) : Draw(cr, image);
  cairo_destroy(cr);
  GdkPixbuf* pixbuf = gdk_pixbuf_get_from_surface(surface, 0, 0, side, side);
  cairo_surface_destroy(surface);
  return pixbuf;
}

}  // namespace

GdkPixbuf* DrawWindowIcon() {
  return Picture(48, DrawIcon, 0);
}

GdkPixbuf* DrawToolbarIcon(int32_t image) {
  return Picture(kSide, nullptr, image);
}
