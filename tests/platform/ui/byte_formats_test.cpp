// The two byte formats between the viewer and the window helper: display lists, and the
// framed messages that carry them.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "platform/ui/byte_codec.h"
#include "platform/ui/display_list.h"
#include "platform/ui/window_protocol.h"

namespace ui {
namespace {

using namespace protocol;

// Builds "ODL1", a count and a body by hand, so each damaged form is plain to read.
std::string ListOf(uint32_t count, void (*body)(ByteWriter&)) {
  ByteWriter out;
  out.Raw("ODL1");
  out.U32(count);
  body(out);
  return out.Take();
}

// Every operation goes through these bytes on its way to the golden picture (CairoCanvas); here
// what no picture shows: extreme and negative coordinates, empty and one-point polygons, a NUL
// in a text, the font that measures text.
TEST(DisplayList, BytesKeepWhatNoPictureShowsAndTheMeasuringFont_DamagedBytesAreRefused) {
  DisplayList original;
  original.SelectFont(Font::VariablePitch);
  original.MoveTo({-5, 7});
  original.LineTo({INT32_MAX, INT32_MIN});
  original.PolyPolygon(std::vector<std::vector<Point>>{{{0, 0}, {9, 0}, {9, 9}}, {}, {{1, 1}}});
  original.TextOut({3, 4}, std::string("+ X\0tail", 8));
  original.DrawImage({10, 35}, Image{2, 1, {0x00FF0000, 0x000000FF}});
  const std::string whole = original.Serialise();
  const std::optional<DisplayList> copy = DisplayList::Deserialise(whole);
  ASSERT_TRUE(copy.has_value());
  EXPECT_EQ(copy->Ops(), original.Ops());
  EXPECT_EQ(copy->TextExtent("Form"), original.TextExtent("Form"));
  EXPECT_TRUE(DisplayList::Deserialise(DisplayList().Serialise()).has_value());
  // A picture whose pixels do not fill it goes over empty; what follows it is kept.
  DisplayList odd;
  odd.DrawImage({1, 2}, Image{3, 2, {0x123456}});
  odd.TextOut({3, 4}, "after");
  const std::optional<DisplayList> oddCopy = DisplayList::Deserialise(odd.Serialise());
  ASSERT_TRUE(oddCopy.has_value());
  ASSERT_EQ(oddCopy->Ops().size(), 2u);
  EXPECT_EQ(oddCopy->Ops()[1], odd.Ops()[1]);

  const std::pair<const char*, std::string> cases[] = {
      {"wrong magic", "ODL2" + whole.substr(4)},
      {"truncated by one byte", whole.substr(0, whole.size() - 1)},
      {"count one more than present", ListOf(1, [](ByteWriter&) {})},
      {"unknown tag", ListOf(1, [](ByteWriter& o) { o.U8(0x63); })},
      {"pen style 2",
       ListOf(1, [](ByteWriter& o) { o.U8(1), o.U8(0), o.U8(0), o.U8(0), o.I32(1), o.I32(2); })},
      {"polygon count beyond the bytes",
       ListOf(1, [](ByteWriter& o) { o.U8(8), o.U32(0x20000000), o.I32(0), o.I32(0); })},
      {"image larger than the bytes",
       ListOf(1, [](ByteWriter& o) { o.U8(11), o.I32(0), o.I32(0), o.I32(65536), o.I32(65536); })},
  };
  for (const auto& [what, bytes] : cases) {
    EXPECT_FALSE(DisplayList::Deserialise(bytes).has_value()) << what;
  }
}

std::string WithoutLength(const std::string& framed) {
  return framed.substr(4);
}

// Decoding then encoding again gives the very bytes sent: nothing is lost or changed.
TEST(WindowProtocol, RequestsAndEventsRoundTripWithTheStreamCutAnywhere) {
  WindowDescription windowDescription;
  windowDescription.title = "OmbrixDC";
  windowDescription.frame = {100, 100, 868, 677};
  windowDescription.menu = {
      {0, "&View", false, {{32778, "&Metrology", true, {}, true}, {32779, "M&agnify", false, {}}}}};
  windowDescription.toolbar = {{ToolKind::CheckButton, 32778, 1, true},
                               {ToolKind::Separator, 0, 0, false}};
  windowDescription.statusText = "Ready";
  const Request requests[] = {
      CreateWindow{windowDescription},
      OpenDialog{{"/runs/", {{"Data Files (*.dat)", "*.dat"}, {"All Files (*.*)", "*.*"}}}},
      PaintWindow{std::string("ODL1\0\0\0\0", 8)}, SetMenuCheck{32782, false},
      TestInput{TestAction::PressCloseBox, 0}};
  std::string stream;
  for (const Request& request : requests) {
    stream += Frame(request);
  }
  // Everything arrives in one stream, cut anywhere: the reader gives back each payload whole.
  for (const size_t cut : {size_t{1}, size_t{7}, stream.size()}) {
    FrameReader reader;
    std::vector<std::string> payloads;
    std::string payload;
    for (size_t at = 0; at < stream.size(); at += cut) {
      reader.Append(std::string_view(stream).substr(at, cut));
      while (reader.Next(payload) == FrameReader::Result::Payload) {
        payloads.push_back(payload);
      }
    }
    ASSERT_EQ(payloads.size(), std::size(requests));
    for (size_t i = 0; i < payloads.size(); ++i) {
      const std::optional<Request> back = DecodeRequest(payloads[i]);
      ASSERT_TRUE(back.has_value()) << i;
      EXPECT_EQ(Frame(*back), Frame(requests[i])) << i;
    }
  }
  const Event events[] = {Created{int64_t{0x7FFFFFFF12}}, DialogResult{std::nullopt},
                          DialogResult{std::string("/runs/a.dat")}, Destroyed{}};
  for (const Event& event : events) {
    const std::optional<Event> back = DecodeEvent(WithoutLength(Frame(event)));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(Frame(*back), Frame(event));
  }
}

// A CreateWindow whose menu nests `depth` popups deep.
std::string NestedMenu(int depth) {
  MenuItem item{32768, "&Open...", false, {}};
  for (int i = 0; i < depth; ++i) {
    item = MenuItem{0, "&File", false, {item}};
  }
  WindowDescription windowDescription;
  windowDescription.menu = {item};
  return WithoutLength(Frame(Request{CreateWindow{windowDescription}}));
}

TEST(WindowProtocol, DamagedMessagesAreRefused) {
  const std::string create = WithoutLength(Frame(Request{CreateWindow{}}));
  WindowDescription oddButton;
  oddButton.toolbar = {{static_cast<ToolKind>(3), 32768, 0, false}};
  ASSERT_TRUE(DecodeRequest(NestedMenu(3)).has_value());
  const std::pair<const char*, std::string> cases[] = {
      {"unknown type", std::string(1, '\x7F')},
      {"trailing byte", create + 'x'},
      {"truncated", create.substr(0, create.size() - 1)},
      {"bool other than 0 or 1", std::string("\x02\x02", 2)},
      {"menu nested too deep", NestedMenu(20)},
      {"toolbar button of no known kind", WithoutLength(Frame(Request{CreateWindow{oddButton}}))},
  };
  for (const auto& [what, payload] : cases) {
    EXPECT_FALSE(DecodeRequest(payload).has_value()) << what;
  }
  FrameReader reader;
  std::string payload;
  reader.Append(std::string("\xFF\xFF\xFF\x7F", 4));
  EXPECT_EQ(reader.Next(payload), FrameReader::Result::Damaged) << "length beyond the limit";
}

}  // namespace
}  // namespace ui
