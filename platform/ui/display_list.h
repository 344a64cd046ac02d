#pragma once
// A Canvas that records every call, so a paint can be checked (tests), sent to another
// process as bytes (the window server) and drawn again on any other Canvas (Replay).
// TextExtent answers from the shared font setup, as the Cairo canvas does.
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/ui/canvas.h"

namespace ui {

struct SelectPenOp {
  Pen pen;
  bool operator==(const SelectPenOp&) const = default;
};
struct SelectBrushOp {
  Rgb colour;
  bool operator==(const SelectBrushOp&) const = default;
};
struct SelectFontOp {
  Font font;
  bool operator==(const SelectFontOp&) const = default;
};
struct TextColourOp {
  Rgb colour;
  bool operator==(const TextColourOp&) const = default;
};
struct MoveToOp {
  Point to;
  bool operator==(const MoveToOp&) const = default;
};
struct LineToOp {
  Point to;
  bool operator==(const LineToOp&) const = default;
};
struct CircleOp {
  Rect box;
  bool operator==(const CircleOp&) const = default;
};
struct PolygonOp {
  std::vector<Point> points;
  bool operator==(const PolygonOp&) const = default;
};
struct PolyPolygonOp {
  std::vector<std::vector<Point>> polygons;
  bool operator==(const PolyPolygonOp&) const = default;
};
struct TextOp {
  Point topLeft;
  std::string text;
  bool operator==(const TextOp&) const = default;
};
struct ImageOp {
  Point topLeft;
  Image image;
  bool operator==(const ImageOp&) const = default;
};

using DrawOp = std::variant<SelectPenOp, SelectBrushOp, SelectFontOp, TextColourOp, MoveToOp,
                            LineToOp, CircleOp, PolygonOp, PolyPolygonOp, TextOp, ImageOp>;

class DisplayList final : public Canvas {
 public:
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

  const std::vector<DrawOp>& Ops() const { return ops_; }
  void Clear();
  // Draws every recorded call again, in order, on `target`.
  void Replay(Canvas& target) const;
  // A compact binary form for the pipe to the window server, and its reader. Deserialise
  // gives nothing for bytes that are not a whole, well-formed list.
  std::string Serialise() const;
  static std::optional<DisplayList> Deserialise(std::string_view bytes);

 private:
  std::vector<DrawOp> ops_;
  Font font_ = Font::Default;  // TextExtent measures in the selected font
};

}  // namespace ui
