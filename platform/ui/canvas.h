#pragma once
// The drawing operations the Radial Error View paints with. Coordinates are device pixels
// with y growing downward, as on the window. One Canvas is one paint: the viewer selects a
// pen, brush, font and text colour and then draws; every implementation (Cairo surfaces, the
// recorded display list) draws the same picture from the same calls.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

struct Point {
  int32_t x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  int32_t width = 0, height = 0;
  bool operator==(const Size&) const = default;
};

// left/top inclusive, right/bottom exclusive.
struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

enum class LineStyle : int32_t { Solid = 0, Dotted = 1 };

// width 0 and 1 both draw the thinnest line (one pixel).
struct Pen {
  Rgb colour;
  int32_t width = 0;
  LineStyle style = LineStyle::Solid;
  bool operator==(const Pen&) const = default;
};

// The three fonts a paint uses: the device's default font (what is selected before the paint
// selects another), a variable-pitch sans font for the plot and tables, and the bolder system
// font of the headings. Their metrics come from one font setup (text_metrics.h) so that text
// measured in one process lands where another process draws it.
enum class Font : int32_t { Default = 0, VariablePitch = 1, System = 2 };

// A 24-bit picture, row by row from the top, 0x00RRGGBB per pixel.
struct Image {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
  bool operator==(const Image&) const = default;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // The selected pen draws lines, circles and polygon outlines; the brush fills polygons.
  virtual void SelectPen(const Pen& pen) = 0;
  virtual void SelectBrush(Rgb colour) = 0;
  virtual void SelectFont(Font font) = 0;
  virtual void SetTextColour(Rgb colour) = 0;

  // A line from the current position to `to`, which becomes the current position; the last
  // pixel is not drawn, as on the window system this replaces.
  virtual void MoveTo(Point to) = 0;
  virtual void LineTo(Point to) = 0;
  // The outline of the circle (ellipse) inscribed in `box`; not filled.
  virtual void Circle(Rect box) = 0;
  // A closed polygon: outlined with the pen, filled with the brush.
  virtual void Polygon(std::span<const Point> points) = 0;
  // Several closed polygons filled together with the even-odd (alternate) rule and outlined.
  virtual void PolyPolygon(std::span<const std::vector<Point>> polygons) = 0;
  // Text anchored at its top-left corner in the selected font and text colour.
  virtual void TextOut(Point topLeft, std::string_view text) = 0;
  // Width and height of `text` in the selected font.
  virtual Size TextExtent(std::string_view text) const = 0;
  virtual void DrawImage(Point topLeft, const Image& image) = 0;
};

}  // namespace ui
