// The window layer: drawing on a Cairo surface and bitmap files, the byte formats between the
// viewer and the window helper, and the two window hosts (the headless one the tests drive by
// hand, and the helper process on a real X display).
#include "platform/ui/cairo_canvas.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/bitmap_file.h"
#include "platform/ui/byte_codec.h"
#include "platform/ui/display_list.h"
#include "platform/ui/headless_host.h"
#include "platform/ui/render.h"
#include "platform/ui/window_protocol.h"
#include "platform/ui/window_server_host.h"
#include "tests/support/temp_folder.h"

// A private X server for tests of real windows: Xvfb on a display number it picks itself
// (-displayfd), ended when the object goes.
extern char** environ;

class XvfbDisplay {
 public:
  XvfbDisplay() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 9);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"Xvfb",        "-displayfd", "9",   "-screen", "0",
                          "1024x768x24", "-nolisten",  "tcp", nullptr};
    if (::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
      pid_ = 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    std::string number;
    pollfd watched{ends[0], POLLIN, 0};
    char c = 0;
    while (pid_ > 0 && ::poll(&watched, 1, 15000) > 0 && ::read(ends[0], &c, 1) == 1 && c != '\n') {
      number += c;
    }
    ::close(ends[0]);
    display_ = number.empty() ? "" : ":" + number;
  }
  ~XvfbDisplay() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  XvfbDisplay(const XvfbDisplay&) = delete;
  XvfbDisplay& operator=(const XvfbDisplay&) = delete;

  // ":N", or empty when Xvfb could not start.
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = 0;
  std::string display_;
};

namespace ui {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlue = 0x0000FF, kRed = 0xFF0000;

uint32_t At(const Image& image, Point p) {
  return image.pixels[static_cast<size_t>(p.y) * image.width + p.x];
}

TEST(CairoCanvas, LinesCoverTheirPixelsButNotTheLastAndWidePensTheirNeighbours) {
  const struct {
    Point from, to;
    int32_t width;
    std::vector<Point> blue, white;
  } cases[] = {
      {{2, 5}, {12, 5}, 0, {{2, 5}, {11, 5}}, {{12, 5}, {3, 6}}},      // rightward, one pixel wide
      {{9, 15}, {9, 1}, 0, {{9, 15}, {9, 2}}, {{9, 1}, {10, 15}}},     // upward
      {{2, 10}, {12, 10}, 3, {{6, 9}, {6, 11}}, {{6, 12}, {12, 10}}},  // three pixels wide
  };
  for (const auto& c : cases) {
    const Image image = RenderToImage({20, 20}, [&](Canvas& canvas, Rect) {
      canvas.SelectPen(Pen{{0, 0, 255}, c.width, LineStyle::Solid});
      canvas.MoveTo(c.from);
      canvas.LineTo(c.to);
    });
    for (size_t i = 0; i < 4; ++i) {
      const Point p = i < 2 ? c.blue[i] : c.white[i - 2];
      EXPECT_EQ(At(image, p), i < 2 ? kBlue : kWhite) << p.x << "," << p.y;
    }
  }
}

TEST(CairoCanvas, PolygonSetFillsEvenOddLeavingTheHoleWhite) {
  const Image image = RenderToImage({40, 40}, [](Canvas& canvas, Rect) {
    canvas.SelectPen(Pen{{0, 0, 255}, 0, LineStyle::Solid});
    canvas.SelectBrush({255, 0, 0});
    canvas.PolyPolygon(std::vector<std::vector<Point>>{{{2, 2}, {37, 2}, {37, 37}, {2, 37}},
                                                       {{12, 12}, {27, 12}, {27, 27}, {12, 27}}});
  });
  EXPECT_EQ(At(image, {2, 2}), kBlue);     // outline
  EXPECT_EQ(At(image, {6, 20}), kRed);     // between the outlines
  EXPECT_EQ(At(image, {12, 20}), kBlue);   // the inner outline
  EXPECT_EQ(At(image, {20, 20}), kWhite);  // inside both: not filled
}

void Cross(Canvas& canvas, Rect client) {
  canvas.SelectPen(Pen{{255, 0, 0}, 2, LineStyle::Solid});
  canvas.MoveTo({client.left, client.top});
  canvas.LineTo({client.right, client.bottom});
  canvas.TextOut({5, 5}, "+ X");
}

std::string Contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A BMP file written by hand: the file header, then `info` (the bitmap header), then `pixels`.
std::string Bmp(std::vector<uint32_t> info, size_t infoSize, const std::string& pixels) {
  info.resize(infoSize / 4);
  std::string bmp = "BM" + std::string(12, '\0');
  bmp[10] = static_cast<char>(14 + infoSize);
  bmp.append(reinterpret_cast<const char*>(info.data()), infoSize);
  return bmp + pixels;
}

TEST(BitmapFiles, BmpReadsTopRowFirstBlendsAlphaOnWhiteAndRefusesPicturesWrittenAsOtherFormats) {
  TempFolder folder;
  // 24 bits, 2 x 2, bottom row first, pixels as blue, green, red, rows padded to 4 bytes:
  // green, white / red, blue.
  const std::string plain = Bmp({40, 2, 2, 0x180001, 0, 16}, 40,
                                std::string("\x00\xFF\x00\xFF\xFF\xFF\x00\x00"
                                            "\x00\x00\xFF\xFF\x00\x00\x00\x00",
                                            16));
  EXPECT_EQ(LoadBmp(folder.Write("logo.bmp", plain).string()),
            (Image{2, 2, {0xFF0000, 0x0000FF, 0x00FF00, 0xFFFFFF}}));
  // 32 bits with alpha: transparent red, half-transparent blue, opaque green.
  const std::string alpha =
      Bmp({108, 3, 1, 0x200001, 3, 12, 0, 0, 0, 0, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 108,
          std::string("\x00\x00\xFF\x00\xFF\x00\x00\x80\x00\xFF\x00\xFF", 12));
  EXPECT_EQ(LoadBmp(folder.Write("alpha.bmp", alpha).string()),
            (Image{3, 1, {0xFFFFFF, 0x7F7FFF, 0x00FF00}}));

  // Pictures written in the format their extension names are no BMP.
  const std::pair<const char*, std::string> written[] = {
      {"plot.png", "\x89PNG\r\n\x1a\n"}, {"plot.SVG", "<?xml"}, {"plot.pdf", "%PDF-"}};
  for (const auto& [name, magic] : written) {
    const std::filesystem::path file = folder.Path() / name;
    std::string whyNot;
    ASSERT_TRUE(RenderToFile(file.string(), {120, 80}, Cross, &whyNot)) << whyNot;
    EXPECT_EQ(Contents(file).substr(0, magic.size()), magic) << name;
    EXPECT_FALSE(LoadBmp(file.string()).has_value()) << name;
  }
  EXPECT_FALSE(LoadBmp(folder.Write("cut.bmp", plain.substr(0, 30)).string()));
  EXPECT_FALSE(LoadBmp((folder.Path() / "absent.bmp").string()).has_value());
}

// The two byte formats between the viewer and the window helper: display lists, and the
// framed messages that carry them.

using namespace protocol;

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
      {"image larger than the bytes",
       ListOf(1, [](ByteWriter& o) { o.U8(11), o.I32(0), o.I32(0), o.I32(65536), o.I32(65536); })},
  };
  for (const auto& [what, bytes] : cases) {
    EXPECT_FALSE(DisplayList::Deserialise(bytes).has_value()) << what;
  }
}

// Everything arrives in one stream, cut anywhere: the reader gives back each payload whole.
std::vector<std::string> PayloadsOf(const std::string& stream, size_t cut) {
  FrameReader reader;
  std::vector<std::string> payloads;
  std::string payload;
  for (size_t at = 0; at < stream.size(); at += cut) {
    reader.Append(std::string_view(stream).substr(at, cut));
    while (reader.Next(payload) == FrameReader::Result::Payload) {
      payloads.push_back(payload);
    }
  }
  return payloads;
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
  for (const size_t cut : {size_t{1}, size_t{7}, stream.size()}) {
    const std::vector<std::string> payloads = PayloadsOf(stream, cut);
    ASSERT_EQ(payloads.size(), std::size(requests));
    for (size_t i = 0; i < payloads.size(); ++i) {
      const std::optional<Request> back = DecodeRequest(payloads[i]);
      ASSERT_TRUE(back.has_value()) << i;
      EXPECT_EQ(Frame(*back), Frame(requests[i])) << i;
    }
  }
  const Event events[] = {Created{int64_t{0x7FFFFFFF12}}, DialogResult{std::nullopt},
                          DialogResult{std::string("/runs/a.dat")}};
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

// Writes what reaches it as lines of text, in the order the viewer's message loop would see
// it, and paints the three plot colours as wide bands.
struct RecordingListener final : WindowListener {
  std::vector<std::string> events;
  bool Saw(const std::string& event) const {
    return std::find(events.begin(), events.end(), event) != events.end();
  }
  void OnPaint(Canvas& canvas, Rect client) override {
    const Rgb colours[] = {{0, 0, 255}, {255, 0, 0}, {0, 255, 0}};
    for (int32_t i = 0, top = 100; i < 3; ++i, top += 60) {
      canvas.SelectPen(Pen{colours[i], 1, LineStyle::Solid});
      canvas.SelectBrush(colours[i]);
      const Point band[] = {{100, top}, {400, top}, {400, top + 40}, {100, top + 40}};
      canvas.Polygon(band);
    }
    Log("paint " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
  }
  void OnCommand(int32_t id) override { Log("command " + std::to_string(id)); }
  void OnCloseBox() override { Log("close box"); }
  void OnResize(Size client, bool restored) override {
    Log("resize " + std::to_string(client.width) + "x" + std::to_string(client.height) +
        (restored ? " restored" : " maximised"));
  }
  void OnMouseMove() override { Log("mouse"); }
  void OnMenuSelect(int32_t id) override { Log("menu " + std::to_string(id)); }
  std::string OnTooltip(int32_t id) override {
    Log("tooltip " + std::to_string(id));
    return "tip " + std::to_string(id);
  }
  void OnDestroyed() override { Log("destroyed"); }
  void Log(std::string event) { events.push_back(std::move(event)); }
  std::string Joined() const {
    std::string all;
    for (const std::string& event : events) {
      all += (all.empty() ? "" : ", ") + event;
    }
    return all;
  }
};

TEST(HeadlessHost, DeliversInjectedEventsInOrderThenPaintsThenEndsOnce) {
  HeadlessHost host;
  RecordingListener recorder;
  ASSERT_TRUE(host.Create(WindowDescription{}));
  host.Invalidate();
  host.InjectCommand(32781);
  host.InjectMenuSelect(32768);
  host.InjectMouseMove();
  host.InjectTooltipRequest(32779);
  host.InjectCloseBox();
  host.Resize({500, 400});
  host.ShowMaximised();
  host.Invalidate();
  while (host.PaintCount() == 0) {
    ASSERT_TRUE(host.DispatchNext(recorder));
  }
  host.Destroy();
  host.InjectCommand(32769);  // nothing reaches a window that is gone
  while (host.DispatchNext(recorder)) {
  }
  EXPECT_EQ(recorder.Joined(),
            "command 32781, menu 32768, mouse, tooltip 32779, close box, resize 492x354 restored, "
            "resize 1912x1034 maximised, paint 1912x1034, destroyed");
  EXPECT_EQ(host.LastTooltip(), "tip 32779");
  EXPECT_EQ(host.PaintCount(), 1) << "invalidations coalesce";
  EXPECT_EQ(host.DestroyedCount(), 1);
}

using namespace std::chrono_literals;

class WindowServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(xvfb_.Display().empty()) << "Xvfb did not start (scripts/install-deps)";
    std::string whyNot;
    std::unique_ptr<WindowHost> host = StartWindowServer(&whyNot, {"", xvfb_.Display(), 10000});
    ASSERT_NE(host, nullptr) << whyNot;
    host_.reset(static_cast<WindowServerHost*>(host.release()));
    WindowDescription description;
    description.frame = {60, 40, 828, 617};
    description.visible = visible_;
    description.menu = {{0, "&File", false, {{32769, "E&xit", false, {}}}}};
    description.toolbar = {{ToolKind::Separator, 0, 0, false},
                           {ToolKind::CheckButton, 32778, 1, true},
                           {ToolKind::Button, 32779, 3, false}};
    ASSERT_TRUE(host_->Create(description));
    ASSERT_NE(host_->NativeId(), 0);
  }

  // Dispatches until `event` has reached the listener or 30 seconds pass; a ticker wakes
  // the loop meanwhile.
  bool DispatchUntil(const std::string& event) {
    std::atomic<bool> stop{false};
    std::thread ticker([&] {
      while (!stop) {
        std::this_thread::sleep_for(20ms);
        host_->Wake();
      }
    });
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!recorder_.Saw(event) && host_->DispatchNext(recorder_) &&
           std::chrono::steady_clock::now() < deadline) {
    }
    stop = true;
    ticker.join();
    return recorder_.Saw(event);
  }

  // The output of `command` run against the test's display.
  std::string Ask(const std::string& command) const {
    const std::string full = "DISPLAY=" + xvfb_.Display() + " " + command + " 2>/dev/null";
    std::string out;
    if (FILE* pipe = ::popen(full.c_str(), "r")) {
      char chunk[4096];
      size_t got = 0;
      while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        out.append(chunk, got);
      }
      ::pclose(pipe);
    }
    return out;
  }
  // Asks until `done` holds for the answer, `attempts` times a tenth of a second apart.
  bool AskUntil(const std::string& command, const std::function<bool(const std::string&)>& done,
                int attempts = 100) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
      if (done(Ask(command))) {
        return true;
      }
      std::this_thread::sleep_for(100ms);
    }
    return false;
  }
  // The helper's other windows on screen (tooltips, dialogs): all but the main window.
  std::vector<std::string> OtherShownWindows() const {
    std::vector<std::string> others;
    std::istringstream ids(Ask("xdotool search --onlyvisible --classname ombrixdc-window"));
    for (std::string id; ids >> id;) {
      if (id != std::to_string(host_->NativeId())) {
        others.push_back(id);
      }
    }
    return others;
  }

  bool visible_ = true;
  XvfbDisplay xvfb_;
  std::unique_ptr<WindowServerHost> host_;
  RecordingListener recorder_;
};

TEST_F(WindowServerTest, PaintsResizesTakesUserInputAndDestroyEndsOnce) {
  // The frame less the borders, caption and menu bar of the window system this replaces,
  // whatever height our menu bar has: a viewer that springs a small window back to its
  // default frame must find the default client area there.
  ASSERT_TRUE(DispatchUntil("paint 760x531"));
  EXPECT_TRUE(recorder_.Saw("resize 760x531 restored"));
  // A screenshot of the window shows the three plot colours the listener painted.
  TempFolder folder;
  const std::string shot = (folder.Path() / "window.bmp").string();
  const std::string command = "import -display " + xvfb_.Display() + " -window " +
                              std::to_string(host_->NativeId()) + " bmp3:" + shot + " 2>/dev/null";
  bool shown = false;
  for (int attempt = 0; attempt < 300 && !shown; ++attempt) {
    std::this_thread::sleep_for(100ms);
    const std::optional<Image> image =
        std::system(command.c_str()) == 0 ? LoadBmp(shot) : std::nullopt;
    shown =
        image && std::ranges::all_of(std::array{0x0000FFu, 0xFF0000u, 0x00FF00u}, [&](uint32_t c) {
          return std::ranges::find(image->pixels, c) != image->pixels.end();
        });
  }
  EXPECT_TRUE(shown);
  host_->Resize({900, 700});
  EXPECT_TRUE(DispatchUntil("paint 892x654")) << "a resized window is painted again";

  recorder_.events.clear();
  host_->SimulateInput(protocol::TestAction::ActivateMenuItem, 32769);
  host_->SimulateInput(protocol::TestAction::ClickToolButton, 32778);
  host_->SimulateInput(protocol::TestAction::HoverToolButton, 32779);
  host_->SimulateInput(protocol::TestAction::PressCloseBox, 0);
  ASSERT_TRUE(DispatchUntil("close box"));
  EXPECT_TRUE(host_->Exists()) << "the close box leaves the decision to the viewer";
  host_->Destroy();
  EXPECT_FALSE(host_->Exists());
  EXPECT_TRUE(DispatchUntil("destroyed"));
  EXPECT_FALSE(host_->DispatchNext(recorder_));
  EXPECT_EQ(recorder_.Joined(),
            "command 32769, command 32778, tooltip 32779, close box, destroyed");
}

// The pointer over a toolbar button brings the listener's text up as a tooltip window; the
// window carries its own icon.
TEST_F(WindowServerTest, HoveringAToolbarButtonShowsItsTooltip) {
  ASSERT_TRUE(DispatchUntil("paint 760x531"));
  const std::string window = std::to_string(host_->NativeId());
  EXPECT_NE(Ask("xprop -id " + window + " _NET_WM_ICON").find("Icon (48 x 48)"), std::string::npos);
  // Along the toolbar's row until the first button (after a separator) answers.
  bool asked = false;
  for (int32_t x = 20; x < 120 && !asked; x += 10) {
    Ask("xdotool mousemove --window " + window + " " + std::to_string(x) + " 40");
    asked = DispatchUntil("tooltip 32778");
  }
  ASSERT_TRUE(asked) << recorder_.Joined();
  std::string tooltip;
  EXPECT_TRUE(AskUntil("true", [&](const std::string&) {
    for (const std::string& id : OtherShownWindows()) {
      if (Ask("xprop -id " + id + " _NET_WM_WINDOW_TYPE").find("TOOLTIP") != std::string::npos) {
        tooltip = id;
      }
    }
    return !tooltip.empty();
  })) << "no tooltip window was mapped";
}

// A closing window ends an open-file dialog that nobody answers, and refuses a later one.
TEST_F(WindowServerTest, EndDialogsReleasesAWaitingOpenFileDialog) {
  ASSERT_TRUE(DispatchUntil("paint 760x531"));
  std::promise<std::optional<std::string>> answer;
  std::future<std::optional<std::string>> answered = answer.get_future();
  std::thread waiting([&] { answer.set_value(host_->OpenFileDialog({"/", {{"All", "*"}}})); });
  EXPECT_TRUE(AskUntil("true", [&](const std::string&) { return !OtherShownWindows().empty(); }))
      << "the dialog did not appear";
  host_->EndDialogs();
  const bool ended = answered.wait_for(10s) == std::future_status::ready;
  if (!ended) {
    host_->Destroy();  // frees the waiting thread either way
  }
  waiting.join();
  ASSERT_TRUE(ended);
  EXPECT_EQ(answered.get(), std::nullopt);
  EXPECT_EQ(host_->OpenFileDialog({}), std::nullopt) << "a later dialog is refused";
}

class HiddenWindowServerTest : public WindowServerTest {
 protected:
  HiddenWindowServerTest() { visible_ = false; }
};

// Bringing a hidden window to the front leaves it hidden; showing it maps it.
TEST_F(HiddenWindowServerTest, BringToFrontNeverShowsAHiddenWindow) {
  const std::string query = "xwininfo -id " + std::to_string(host_->NativeId());
  const auto mapped = [](const std::string& info) {
    return info.find("IsViewable") != std::string::npos;
  };
  host_->BringToFront();
  host_->SimulateInput(protocol::TestAction::HoverToolButton, 32779);  // a round trip
  ASSERT_TRUE(DispatchUntil("tooltip 32779"));
  EXPECT_FALSE(AskUntil(query, mapped, 10)) << "the hidden window was shown";
  host_->Show(true);
  EXPECT_TRUE(AskUntil(query, mapped));
}

std::atomic<int> brokenPipes{0};

TEST_F(WindowServerTest, KilledHelperCountsAsTheWindowDestroyedOnceWithoutSigpipe) {
  struct sigaction counting {
  }, previous{};
  counting.sa_handler = [](int) { ++brokenPipes; };
  sigaction(SIGPIPE, &counting, &previous);
  ASSERT_GT(host_->HelperProcessId(), 0);
  ASSERT_EQ(::kill(host_->HelperProcessId(), SIGKILL), 0);
  std::this_thread::sleep_for(100ms);
  for (int i = 0; i < 5; ++i) {
    host_->SetStatusText("Ready");  // writes to a socket nobody reads any more
    host_->Invalidate();
  }
  EXPECT_TRUE(DispatchUntil("destroyed"));
  EXPECT_FALSE(host_->DispatchNext(recorder_));
  host_->Destroy();
  EXPECT_EQ(std::ranges::count(recorder_.events, "destroyed"), 1);
  EXPECT_FALSE(host_->Exists());
  EXPECT_EQ(host_->HelperProcessId(), 0) << "the helper is reaped";
  EXPECT_EQ(brokenPipes, 0);
  sigaction(SIGPIPE, &previous, nullptr);
}

}  // namespace

}  // namespace ui
