#include "platform/ui/display_list.h"

#include <gtest/gtest.h>

#include "platform/ui/byte_codec.h"

namespace ui {
namespace {

DisplayList EveryOperation() {
  DisplayList list;
  list.SelectPen(Pen{{150, 150, 150}, 0, LineStyle::Dotted});
  list.SelectBrush({192, 255, 255});
  list.SelectFont(Font::VariablePitch);
  list.SetTextColour({1, 2, 3});
  list.MoveTo({-5, 7});
  list.LineTo({INT32_MAX, INT32_MIN});
  list.Circle({10, 20, 30, 40});
  const Point triangle[] = {{0, 0}, {4, 0}, {2, 3}};
  list.Polygon(triangle);
  const std::vector<std::vector<Point>> rings = {{{0, 0}, {9, 0}, {9, 9}}, {}, {{1, 1}}};
  list.PolyPolygon(rings);
  list.TextOut({3, 4}, std::string("+ X\0tail", 8));
  list.DrawImage({10, 35}, Image{2, 1, {0x00FF0000, 0x000000FF}});
  return list;
}

TEST(DisplayList, SerialiseAndReplayKeepEveryOperationAndTheMeasuringFont) {
  const DisplayList original = EveryOperation();
  const std::optional<DisplayList> copy = DisplayList::Deserialise(original.Serialise());
  ASSERT_TRUE(copy.has_value());
  EXPECT_EQ(copy->Ops(), original.Ops());
  EXPECT_EQ(copy->TextExtent("Form"), original.TextExtent("Form"));
  EXPECT_TRUE(DisplayList::Deserialise(DisplayList().Serialise()).has_value());
  DisplayList target;
  original.Replay(target);
  EXPECT_EQ(target.Ops(), original.Ops());
}

// Builds "ODL1", a count and a body by hand, so each damaged form is plain to read.
std::string ListOf(uint32_t count, void (*body)(ByteWriter&)) {
  ByteWriter out;
  out.Raw("ODL1");
  out.U32(count);
  body(out);
  return out.Take();
}

TEST(DisplayList, DeserialiseRejectsDamagedBytes) {
  const std::string whole = EveryOperation().Serialise();
  const std::pair<const char*, std::string> cases[] = {
      {"wrong magic", "ODL2" + whole.substr(4)},
      {"truncated by one byte", whole.substr(0, whole.size() - 1)},
      {"count one more than present", ListOf(1, [](ByteWriter&) {})},
      {"unknown tag", ListOf(1, [](ByteWriter& o) { o.U8(0x63); })},
      {"pen style 2",
       ListOf(1, [](ByteWriter& o) { o.U8(1), o.U8(0), o.U8(0), o.U8(0), o.I32(1), o.I32(2); })},
      {"polygon count beyond the bytes",
       ListOf(1, [](ByteWriter& o) { o.U8(8), o.U32(0x20000000), o.I32(0), o.I32(0); })},
      {"text longer than the bytes",
       ListOf(1, [](ByteWriter& o) { o.U8(10), o.I32(0), o.I32(0), o.U32(100); })},
      {"image larger than the bytes",
       ListOf(1, [](ByteWriter& o) { o.U8(11), o.I32(0), o.I32(0), o.I32(65536), o.I32(65536); })},
  };
  for (const auto& [what, bytes] : cases) {
    EXPECT_FALSE(DisplayList::Deserialise(bytes).has_value()) << what;
  }
}

}  // namespace
}  // namespace ui
