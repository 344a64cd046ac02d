#include "platform/ui/cairo_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ui/text_metrics.h"

namespace ui {
namespace {

int32_t StrokeWidth(const Pen& pen) {
  return pen.width < 1 ? 1 : pen.width;
}

// The pixels of a line from `from` up to, not including, `to` (Bresenham).
std::vector<Point> LinePixels(Point from, Point to) {
  std::vector<Point> pixels;
  const int64_t dx = std::abs(static_cast<int64_t>(to.x) - from.x);
  const int64_t dy = -std::abs(static_cast<int64_t>(to.y) - from.y);
  const int32_t sx = from.x < to.x ? 1 : -1;
  const int32_t sy = from.y < to.y ? 1 : -1;
  int64_t error = dx + dy;
  Point p = from;
  while (p != to) {
    pixels.push_back(p);
    const int64_t twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      p.x += sx;
    }
    if (twice <= dx) {
      error += dx;
      p.y += sy;
    }
  }
  return pixels;
}

// The outline pixels of the ellipse through the centres of the box's edge pixels, in order
// around it, each once.
std::vector<Point> EllipsePixels(Rect box) {
  const double radiusX = (box.Width() - 1) / 2.0;
  const double radiusY = (box.Height() - 1) / 2.0;
  const double centreX = box.left + radiusX;
  const double centreY = box.top + radiusY;
  // Steps shorter than half a pixel leave no gaps between neighbouring pixels.
  const auto steps = static_cast<int32_t>(std::ceil(4.0 * M_PI * std::max(radiusX, radiusY))) + 8;
  std::vector<Point> pixels;
  for (int32_t i = 0; i < steps; ++i) {
    const double angle = 2.0 * M_PI * i / steps;
    const Point p{static_cast<int32_t>(std::lround(centreX + radiusX * std::cos(angle))),
                  static_cast<int32_t>(std::lround(centreY - radiusY * std::sin(angle)))};
    if (pixels.empty() || pixels.back() != p) {
      pixels.push_back(p);
    }
  }
  while (pixels.size() > 1 && pixels.back() == pixels.front()) {
    pixels.pop_back();
  }
  return pixels;
}

}  // namespace

CairoCanvas::CairoCanvas(cairo_t* context) : cr_(context) {
  cairo_save(cr_);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
}

CairoCanvas::~CairoCanvas() {
  FlushPolyline();
  cairo_restore(cr_);
}

void CairoCanvas::SelectPen(const Pen& pen) {
  FlushPolyline();
  pen_ = pen;
}
void CairoCanvas::SelectBrush(Rgb colour) {
  brush_ = colour;
}
void CairoCanvas::SelectFont(Font font) {
  font_ = font;
}
void CairoCanvas::SetTextColour(Rgb colour) {
  textColour_ = colour;
}

void CairoCanvas::SetSource(Rgb colour) {
  cairo_set_source_rgb(cr_, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
}

double CairoCanvas::PenOffset() const {
  return StrokeWidth(pen_) % 2 == 1 ? 0.5 : 0.0;
}

void CairoCanvas::ApplyPen() {
  const int32_t width = StrokeWidth(pen_);
  SetSource(pen_.colour);
  cairo_set_line_width(cr_, width);
  // Thin lines as whole pixels; wider curves smooth.
  cairo_set_antialias(cr_, width == 1 ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_DEFAULT);
  cairo_set_dash(cr_, nullptr, 0, 0.0);
}

bool CairoCanvas::DrawsDots() const {
  return pen_.style == LineStyle::Dotted && StrokeWidth(pen_) == 1;
}

void CairoCanvas::FillDots(const std::vector<Point>& outline) {
  cairo_new_path(cr_);
  for (size_t i = 0; i < outline.size(); i += 2) {
    cairo_rectangle(cr_, outline[i].x, outline[i].y, 1.0, 1.0);
  }
  SetSource(pen_.colour);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  cairo_fill(cr_);
}

void CairoCanvas::MoveTo(Point to) {
  FlushPolyline();
  position_ = to;
}

void CairoCanvas::LineTo(Point to) {
  const Point from = position_;
  position_ = to;
  if (to == from) {
    return;  // a line to its own start draws nothing: its only pixel is the last one
  }
  if (DrawsDots()) {
    FlushPolyline();
    FillDots(LinePixels(from, to));
    return;
  }
  // Consecutive lines become one stroke: joined corners, and one stroke for a whole curve.
  if (polyline_.empty()) {
    polyline_.push_back(from);
  }
  polyline_.push_back(to);
}

void CairoCanvas::FlushPolyline() {
  if (polyline_.size() < 2) {
    polyline_.clear();
    return;
  }
  // Half a pixel along a segment's direction.
  auto halfStep = [](Point from, Point to) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    return std::pair{dx / length * 0.5, dy / length * 0.5};
  };
  // The stroke runs from the first pixel's near edge to the last pixel's near edge (butt
  // caps), so the first pixel is drawn and the last one is not.
  const double offset = PenOffset();
  const auto [startX, startY] = halfStep(polyline_[0], polyline_[1]);
  const size_t last = polyline_.size() - 1;
  const auto [endX, endY] = halfStep(polyline_[last - 1], polyline_[last]);
  ApplyPen();
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
  cairo_new_path(cr_);
  cairo_move_to(cr_, polyline_[0].x + offset - startX, polyline_[0].y + offset - startY);
  for (size_t i = 1; i < last; ++i) {
    cairo_line_to(cr_, polyline_[i].x + offset, polyline_[i].y + offset);
  }
  cairo_line_to(cr_, polyline_[last].x + offset - endX, polyline_[last].y + offset - endY);
  cairo_stroke(cr_);
  polyline_.clear();
}

void CairoCanvas::Circle(Rect box) {
  FlushPolyline();
  // The outline passes through the centres of the box's outer pixels (right and bottom are
  // exclusive).
  const double offset = PenOffset();
  const double radiusX = (box.Width() - 1) / 2.0;
  const double radiusY = (box.Height() - 1) / 2.0;
  if (radiusX <= 0.0 || radiusY <= 0.0) {
    return;
  }
  if (DrawsDots()) {
    FillDots(EllipsePixels(box));
    return;
  }
  ApplyPen();
  cairo_new_path(cr_);
  cairo_save(cr_);
  cairo_translate(cr_, box.left + radiusX + offset, box.top + radiusY + offset);
  cairo_scale(cr_, radiusX, radiusY);
  cairo_arc(cr_, 0.0, 0.0, 1.0, 0.0, 2.0 * M_PI);
  cairo_restore(cr_);  // stroke in device space so the pen stays round
  cairo_stroke(cr_);
}

void CairoCanvas::StrokeAndFillPath() {
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
  SetSource(brush_);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  cairo_fill_preserve(cr_);
  ApplyPen();
  cairo_stroke(cr_);
}

void CairoCanvas::Polygon(std::span<const Point> points) {
  const std::vector<Point> one(points.begin(), points.end());
  PolyPolygon(std::span<const std::vector<Point>>(&one, 1));
}

void CairoCanvas::PolyPolygon(std::span<const std::vector<Point>> polygons) {
  FlushPolyline();
  const double offset = PenOffset();
  cairo_new_path(cr_);
  for (const std::vector<Point>& polygon : polygons) {
    if (polygon.size() < 2) {
      continue;
    }
    cairo_move_to(cr_, polygon[0].x + offset, polygon[0].y + offset);
    for (size_t i = 1; i < polygon.size(); ++i) {
      cairo_line_to(cr_, polygon[i].x + offset, polygon[i].y + offset);
    }
    cairo_close_path(cr_);
  }
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
  StrokeAndFillPath();
}

void CairoCanvas::TextOut(Point topLeft, std::string_view text) {
  FlushPolyline();
  const std::string drawable = DrawableText(text);
  if (drawable.empty()) {
    return;
  }
  cairo_set_scaled_font(cr_, ScaledFontOf(font_));
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_DEFAULT);
  SetSource(textColour_);
  cairo_new_path(cr_);
  cairo_move_to(cr_, topLeft.x, topLeft.y + MetricsOf(font_).ascent);
  cairo_show_text(cr_, drawable.c_str());
  cairo_new_path(cr_);
}

Size CairoCanvas::TextExtent(std::string_view text) const {
  return MeasureText(font_, text);
}

void CairoCanvas::DrawImage(Point topLeft, const Image& image) {
  FlushPolyline();
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<size_t>(image.width) * image.height) {
    return;
  }
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return;
  }
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  // RGB24 holds 0x00RRGGBB in native-endian 32-bit words, the Image's own layout.
  for (int32_t row = 0; row < image.height; ++row) {
    std::memcpy(data + static_cast<size_t>(row) * stride,
                image.pixels.data() + static_cast<size_t>(row) * image.width,
                static_cast<size_t>(image.width) * sizeof(uint32_t));
  }
  cairo_surface_mark_dirty(surface);
  cairo_set_source_surface(cr_, surface, topLeft.x, topLeft.y);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
  cairo_rectangle(cr_, topLeft.x, topLeft.y, image.width, image.height);
  cairo_fill(cr_);
  cairo_surface_destroy(surface);
}

}  // namespace ui
