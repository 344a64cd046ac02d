#pragma once
// The Canvas over a cairo context whose user space is device pixels: image surfaces (tests,
// PNG), vector surfaces (SVG, PDF) and the window server's drawing area. Thin pens are drawn
// without anti-aliasing on pixel centres, so one-pixel lines are crisp as on the window system
// this replaces; lines leave out their last pixel. Dotted pens wider than one pixel draw
// solid, as there.
#include <cairo.h>

#include <vector>

#include "platform/ui/canvas.h"

namespace ui {

class CairoCanvas final : public Canvas {
 public:
  // Draws on `context`, which the caller keeps alive; its state is saved here and restored
  // when the canvas is destroyed.
  explicit CairoCanvas(cairo_t* context);
  ~CairoCanvas() override;
  CairoCanvas(const CairoCanvas&) = delete;
  CairoCanvas& operator=(const CairoCanvas&) = delete;

  void SelectPen(const Pen& pen) override;
  void SelectBrush(Rgb colour) override;
  void SelectFont(Font font) override;
  void SetTextColour(Rgb colour) override;
  void MoveTo(Point to) override;
  void LineTo(Point to) override;
  void Circle(Rect box) override;
  void Polygon(std::span<const Point> points) override;
  void PolyPolygon(std::span<const std::vector<Point>> polygons) override;
  void TextOut(Point topLeft, std::string_view text) override;
  Size TextExtent(std::string_view text) const override;
  void DrawImage(Point topLeft, const Image& image) override;

 private:
  void ApplyPen();
  void SetSource(Rgb colour);
  // Half a pixel for odd widths puts the stroke's centre on pixel centres.
  double PenOffset() const;
  void StrokeAndFillPath();
  // A thin dotted pen sets every other pixel of the outline, as the window system this
  // replaces does; a dashed stroke would fall between pixel centres unevenly.
  bool DrawsDots() const;
  void FillDots(const std::vector<Point>& outline);
  // Strokes the lines drawn since the last move, pen change or other drawing.
  void FlushPolyline();

  cairo_t* cr_;
  Pen pen_;
  Rgb brush_{255, 255, 255};
  Rgb textColour_{0, 0, 0};
  Font font_ = Font::Default;
  Point position_;
  std::vector<Point> polyline_;  // the current position, then each LineTo not yet stroked
};

}  // namespace ui
