#include "platform/ui/display_list.h"

// g++ 12 warns wrongly of uninitialised members when a std::variant holding vectors and
// strings is moved into a vector (a known false positive of its inliner).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <cstring>

#include "platform/ui/byte_codec.h"
#include "platform/ui/text_metrics.h"

namespace ui {
namespace {

// Serialised form: "ODL1", the number of operations (u32), then each operation as a tag
// byte and its fields, little-endian; colours as three bytes, image pixels as three bytes.
constexpr std::string_view kMagic = "ODL1";

enum class Tag : uint8_t {
  SelectPen = 1,
  SelectBrush,
  SelectFont,
  TextColour,
  MoveTo,
  LineTo,
  Circle,
  Polygon,
  PolyPolygon,
  Text,
  Image
};

void PutRgb(ByteWriter& out, Rgb c) {
  out.U8(c.r);
  out.U8(c.g);
  out.U8(c.b);
}
void PutPoint(ByteWriter& out, Point p) {
  out.I32(p.x);
  out.I32(p.y);
}
void PutPoints(ByteWriter& out, const std::vector<Point>& points) {
  out.U32(static_cast<uint32_t>(points.size()));
  for (const Point& p : points) {
    PutPoint(out, p);
  }
}

bool GetRgb(ByteReader& in, Rgb& c) {
  return in.U8(c.r) && in.U8(c.g) && in.U8(c.b);
}
bool GetPoint(ByteReader& in, Point& p) {
  return in.I32(p.x) && in.I32(p.y);
}
bool GetPoints(ByteReader& in, std::vector<Point>& points) {
  uint32_t count = 0;
  if (!in.U32(count) || !in.Holds(count, 8)) {
    return false;
  }
  points.resize(count);
  for (Point& p : points) {
    if (!GetPoint(in, p)) {
      return false;
    }
  }
  return true;
}

struct Writer {
  ByteWriter& out;
  void operator()(const SelectPenOp& op) {
    out.U8(static_cast<uint8_t>(Tag::SelectPen));
    PutRgb(out, op.pen.colour);
    out.I32(op.pen.width);
    out.I32(static_cast<int32_t>(op.pen.style));
  }
  void operator()(const SelectBrushOp& op) {
    out.U8(static_cast<uint8_t>(Tag::SelectBrush));
    PutRgb(out, op.colour);
  }
  void operator()(const SelectFontOp& op) {
    out.U8(static_cast<uint8_t>(Tag::SelectFont));
    out.I32(static_cast<int32_t>(op.font));
  }
  void operator()(const TextColourOp& op) {
    out.U8(static_cast<uint8_t>(Tag::TextColour));
    PutRgb(out, op.colour);
  }
  void operator()(const MoveToOp& op) {
    out.U8(static_cast<uint8_t>(Tag::MoveTo));
    PutPoint(out, op.to);
  }
  void operator()(const LineToOp& op) {
    out.U8(static_cast<uint8_t>(Tag::LineTo));
    PutPoint(out, op.to);
  }
  void operator()(const CircleOp& op) {
    out.U8(static_cast<uint8_t>(Tag::Circle));
    PutPoint(out, {op.box.left, op.box.top});
    PutPoint(out, {op.box.right, op.box.bottom});
  }
  void operator()(const PolygonOp& op) {
    out.U8(static_cast<uint8_t>(Tag::Polygon));
    PutPoints(out, op.points);
  }
  void operator()(const PolyPolygonOp& op) {
    out.U8(static_cast<uint8_t>(Tag::PolyPolygon));
    out.U32(static_cast<uint32_t>(op.polygons.size()));
    for (const std::vector<Point>& polygon : op.polygons) {
      PutPoints(out, polygon);
    }
  }
  void operator()(const TextOp& op) {
    out.U8(static_cast<uint8_t>(Tag::Text));
    PutPoint(out, op.topLeft);
    out.Bytes(op.text);
  }
  void operator()(const ImageOp& op) {
    out.U8(static_cast<uint8_t>(Tag::Image));
    PutPoint(out, op.topLeft);
    const Image& image = op.image;
    const bool whole = image.width > 0 && image.height > 0 &&
                       image.pixels.size() == static_cast<size_t>(image.width) * image.height;
    out.I32(whole ? image.width : 0);
    out.I32(whole ? image.height : 0);
    if (whole) {
      for (const uint32_t pixel : image.pixels) {
        out.U8(static_cast<uint8_t>(pixel >> 16));
        out.U8(static_cast<uint8_t>(pixel >> 8));
        out.U8(static_cast<uint8_t>(pixel));
      }
    }
  }
};

bool ReadImage(ByteReader& in, ImageOp& op) {
  Image& image = op.image;
  if (!GetPoint(in, op.topLeft) || !in.I32(image.width) || !in.I32(image.height) ||
      image.width < 0 || image.height < 0 || (image.width == 0) != (image.height == 0)) {
    return false;
  }
  const uint64_t count = static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.height);
  if (!in.Holds(count, 3)) {
    return false;
  }
  image.pixels.resize(count);
  for (uint32_t& pixel : image.pixels) {
    uint8_t r = 0, g = 0, b = 0;
    in.U8(r);
    in.U8(g);
    in.U8(b);
    pixel = static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
  }
  return true;
}

std::optional<DrawOp> ReadOp(ByteReader& in) {
  uint8_t tag = 0;
  if (!in.U8(tag)) {
    return std::nullopt;
  }
  switch (static_cast<Tag>(tag)) {
    case Tag::SelectPen: {
      SelectPenOp op;
      int32_t style = 0;
      if (GetRgb(in, op.pen.colour) && in.I32(op.pen.width) && in.I32(style) &&
          (style == 0 || style == 1)) {
        op.pen.style = static_cast<LineStyle>(style);
        return op;
      }
      return std::nullopt;
    }
    case Tag::SelectBrush: {
      SelectBrushOp op;
      return GetRgb(in, op.colour) ? std::optional<DrawOp>(op) : std::nullopt;
    }
    case Tag::SelectFont: {
      int32_t font = 0;
      if (in.I32(font) && font >= 0 && font <= 2) {
        return SelectFontOp{static_cast<Font>(font)};
      }
      return std::nullopt;
    }
    case Tag::TextColour: {
      TextColourOp op;
      return GetRgb(in, op.colour) ? std::optional<DrawOp>(op) : std::nullopt;
    }
    case Tag::MoveTo: {
      MoveToOp op;
      return GetPoint(in, op.to) ? std::optional<DrawOp>(op) : std::nullopt;
    }
    case Tag::LineTo: {
      LineToOp op;
      return GetPoint(in, op.to) ? std::optional<DrawOp>(op) : std::nullopt;
    }
    case Tag::Circle: {
      CircleOp op;
      Rect& b = op.box;
      return in.I32(b.left) && in.I32(b.top) && in.I32(b.right) && in.I32(b.bottom)
                 ? std::optional<DrawOp>(op)
                 : std::nullopt;
    }
    case Tag::Polygon: {
      PolygonOp op;
      return GetPoints(in, op.points) ? std::optional<DrawOp>(std::move(op)) : std::nullopt;
    }
    case Tag::PolyPolygon: {
      PolyPolygonOp op;
      uint32_t count = 0;
      if (!in.U32(count) || !in.Holds(count, 4)) {
        return std::nullopt;
      }
      op.polygons.resize(count);
      for (std::vector<Point>& polygon : op.polygons) {
        if (!GetPoints(in, polygon)) {
          return std::nullopt;
        }
      }
      return op;
    }
    case Tag::Text: {
      TextOp op;
      return GetPoint(in, op.topLeft) && in.Bytes(op.text) ? std::optional<DrawOp>(std::move(op))
                                                           : std::nullopt;
    }
    case Tag::Image: {
      ImageOp op;
      return ReadImage(in, op) ? std::optional<DrawOp>(std::move(op)) : std::nullopt;
    }
  }
  return std::nullopt;
}

struct Replayer {
  Canvas& target;
  void operator()(const SelectPenOp& op) { target.SelectPen(op.pen); }
  void operator()(const SelectBrushOp& op) { target.SelectBrush(op.colour); }
  void operator()(const SelectFontOp& op) { target.SelectFont(op.font); }
  void operator()(const TextColourOp& op) { target.SetTextColour(op.colour); }
  void operator()(const MoveToOp& op) { target.MoveTo(op.to); }
  void operator()(const LineToOp& op) { target.LineTo(op.to); }
  void operator()(const CircleOp& op) { target.Circle(op.box); }
  void operator()(const PolygonOp& op) { target.Polygon(op.points); }
  void operator()(const PolyPolygonOp& op) { target.PolyPolygon(op.polygons); }
  void operator()(const TextOp& op) { target.TextOut(op.topLeft, op.text); }
  void operator()(const ImageOp& op) { target.DrawImage(op.topLeft, op.image); }
};

}  // namespace

void DisplayList::SelectPen(const Pen& pen) {
  ops_.push_back(SelectPenOp{pen});
}
void DisplayList::SelectBrush(Rgb colour) {
  ops_.push_back(SelectBrushOp{colour});
}
void DisplayList::SelectFont(Font font) {
  font_ = font;
  ops_.push_back(SelectFontOp{font});
}
void DisplayList::SetTextColour(Rgb colour) {
  ops_.push_back(TextColourOp{colour});
}
void DisplayList::MoveTo(Point to) {
  ops_.push_back(MoveToOp{to});
}
void DisplayList::LineTo(Point to) {
  ops_.push_back(LineToOp{to});
}
void DisplayList::Circle(Rect box) {
  ops_.push_back(CircleOp{box});
}
void DisplayList::Polygon(std::span<const Point> points) {
  ops_.push_back(PolygonOp{{points.begin(), points.end()}});
}
void DisplayList::PolyPolygon(std::span<const std::vector<Point>> polygons) {
  ops_.push_back(PolyPolygonOp{{polygons.begin(), polygons.end()}});
}
void DisplayList::TextOut(Point topLeft, std::string_view text) {
  ops_.push_back(TextOp{topLeft, std::string(text)});
}
Size DisplayList::TextExtent(std::string_view text) const {
  return MeasureText(font_, text);
}
void DisplayList::DrawImage(Point topLeft, const Image& image) {
  ops_.push_back(ImageOp{topLeft, image});
}

void DisplayList::Clear() {
  ops_.clear();
  font_ = Font::Default;
}

void DisplayList::Replay(Canvas& target) const {
  for (const DrawOp& op : ops_) {
    std::visit(Replayer{target}, op);
  }
}

std::string DisplayList::Serialise() const {
  ByteWriter out;
  out.Raw(kMagic);
  out.U32(static_cast<uint32_t>(ops_.size()));
  Writer writer{out};
  for (const DrawOp& op : ops_) {
    std::visit(writer, op);
  }
  return out.Take();
}

std::optional<DisplayList> DisplayList::Deserialise(std::string_view bytes) {
  ByteReader in(bytes);
  uint32_t count = 0;
  if (!in.Magic(kMagic) || !in.U32(count) || !in.Holds(count, 1)) {
    return std::nullopt;
  }
  DisplayList list;
  list.ops_.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    std::optional<DrawOp> op = ReadOp(in);
    if (!op) {
      return std::nullopt;
    }
    if (const auto* font = std::get_if<SelectFontOp>(&*op)) {
      list.font_ = font->font;
    }
    list.ops_.push_back(std::move(*op));
  }
  if (!in.AtEnd()) {
    return std::nullopt;
  }
  return list;
}

}  // namespace ui
