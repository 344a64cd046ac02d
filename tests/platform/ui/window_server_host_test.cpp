#include "platform/ui/window_server_host.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "platform/ui/bitmap_file.h"
#include "tests/platform/ui/xvfb_display.h"
#include "tests/support/temp_folder.h"

namespace ui {
namespace {

using namespace std::chrono_literals;

struct Recorder final : WindowListener {
  std::vector<int32_t> commands;
  std::vector<int32_t> tooltipsAsked;
  int32_t closeBoxes = 0, paints = 0, destroyed = 0;
  Rect lastClient;
  Size resized;
  void OnPaint(Canvas& canvas, Rect client) override {
    lastClient = client;
    ++paints;
    // The three plot colours as wide bands in the middle of the client area.
    const Rgb colours[] = {{0, 0, 255}, {255, 0, 0}, {0, 255, 0}};
    for (int32_t i = 0; i < 3; ++i) {
      canvas.SelectPen(Pen{colours[i], 1, LineStyle::Solid});
      canvas.SelectBrush(colours[i]);
      const int32_t top = 100 + 60 * i;
      const Point band[] = {{100, top}, {400, top}, {400, top + 40}, {100, top + 40}};
      canvas.Polygon(band);
    }
    canvas.SelectFont(Font::System);
    canvas.TextOut({100, 300}, "Radial Error View");
  }
  void OnCommand(int32_t id) override { commands.push_back(id); }
  void OnCloseBox() override { ++closeBoxes; }
  void OnResize(Size client, bool) override { resized = client; }
  void OnMouseMove() override {}
  void OnMenuSelect(int32_t) override {}
  std::string OnTooltip(int32_t id) override {
    tooltipsAsked.push_back(id);
    return "Magnify error";
  }
  void OnDestroyed() override { ++destroyed; }
};

WindowSpec TestWindow() {
  WindowSpec windowSpec;
  windowSpec.title = "OmbrixDC";
  windowSpec.frame = {60, 40, 828, 617};
  windowSpec.menu = {
      {0, "&File", false, {{32768, "&Open...", false, {}}, {32769, "E&xit", false, {}}}},
      {0, "&View", false, {{32781, "&Grid", true, {}}, {32783, "&Fast", true, {}}}}};
  windowSpec.toolbar = {
      {ToolKind::Button, 32768, 0, false},     {ToolKind::Separator, 0, 0, false},
      {ToolKind::CheckButton, 32778, 1, true}, {ToolKind::CheckButton, 32782, 2, true},
      {ToolKind::Separator, 0, 0, false},      {ToolKind::Button, 32779, 3, false},
      {ToolKind::Button, 32780, 4, false},     {ToolKind::Separator, 0, 0, false},
      {ToolKind::CheckButton, 32781, 5, true}};
  windowSpec.statusText = "Ready";
  return windowSpec;
}

class WindowServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(xvfb_.Display().empty()) << "Xvfb did not start (scripts/install-deps)";
    std::string whyNot;
    WindowServerOptions options;
    options.display = xvfb_.Display();
    std::unique_ptr<WindowHost> host = StartWindowServer(&whyNot, options);
    ASSERT_NE(host, nullptr) << whyNot;
    host_.reset(static_cast<WindowServerHost*>(host.release()));
    ASSERT_TRUE(host_->Create(TestWindow()));
    ASSERT_NE(host_->NativeId(), 0);
  }

  // Dispatches until `done` holds or five seconds pass; a ticker wakes the loop meanwhile.
  bool DispatchUntil(const std::function<bool()>& done) {
    std::atomic<bool> stop{false};
    std::thread ticker([&] {
      while (!stop) {
        std::this_thread::sleep_for(20ms);
        host_->Wake();
      }
    });
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    bool open = true;
    while (!done() && open && std::chrono::steady_clock::now() < deadline) {
      open = host_->DispatchNext(recorder_);
    }
    stop = true;
    ticker.join();
    return done();
  }

  XvfbDisplay xvfb_;
  std::unique_ptr<WindowServerHost> host_;
  Recorder recorder_;
};

TEST_F(WindowServerTest, ShowsThePaintedPlotColoursInTheWindow) {
  ASSERT_TRUE(DispatchUntil([&] { return recorder_.paints > 0 && recorder_.resized.width > 0; }));
  // The frame less the borders, caption and menu bar of the window system this replaces,
  // whatever height our menu bar has: a viewer that springs a small window back to its
  // default frame must find the default client area there.
  EXPECT_EQ(recorder_.resized, (Size{768 - 8, 577 - 46}));
  EXPECT_EQ(recorder_.lastClient, (Rect{0, 0, 768 - 8, 577 - 46}));
  TempFolder folder;
  const std::string shot = (folder.Path() / "window.bmp").string();
  const std::string command = "import -display " + xvfb_.Display() + " -window " +
                              std::to_string(host_->NativeId()) + " bmp3:" + shot + " 2>/dev/null";
  bool blue = false, red = false, green = false;
  for (int attempt = 0; attempt < 50 && !(blue && red && green); ++attempt) {
    std::this_thread::sleep_for(100ms);
    if (std::system(command.c_str()) != 0) {
      continue;
    }
    const std::optional<Image> image = LoadBmp(shot);
    ASSERT_TRUE(image.has_value());
    for (const uint32_t pixel : image->pixels) {
      blue |= pixel == 0x0000FF;
      red |= pixel == 0xFF0000;
      green |= pixel == 0x00FF00;
    }
  }
  EXPECT_TRUE(blue && red && green) << blue << red << green;
  host_->Resize({900, 700});
  EXPECT_TRUE(DispatchUntil([&] { return recorder_.resized == Size{892, 654}; }));
  EXPECT_TRUE(DispatchUntil([&] {
    return recorder_.lastClient == Rect{0, 0, 892, 654};
  })) << "a resized window is painted again at its new size";
  if (const char* keep = std::getenv("OMBRIXDC_KEEP_SCREENSHOT")) {
    std::system(("import -display " + xvfb_.Display() + " -window " +
                 std::to_string(host_->NativeId()) + " " + keep)
                    .c_str());
  }
}

TEST_F(WindowServerTest, UserInputReachesTheListenerAndDestroyEndsOnce) {
  host_->SimulateInput(protocol::TestAction::ActivateMenuItem, 32769);
  host_->SimulateInput(protocol::TestAction::ClickToolButton, 32778);
  host_->SimulateInput(protocol::TestAction::HoverToolButton, 32779);
  host_->SimulateInput(protocol::TestAction::PressCloseBox, 0);
  ASSERT_TRUE(DispatchUntil([&] { return recorder_.closeBoxes == 1; }));
  EXPECT_EQ(recorder_.commands, (std::vector<int32_t>{32769, 32778}));
  EXPECT_EQ(recorder_.tooltipsAsked, std::vector<int32_t>{32779});
  EXPECT_TRUE(host_->Exists()) << "the close box leaves the decision to the viewer";

  host_->Destroy();
  EXPECT_FALSE(host_->Exists());
  EXPECT_EQ(host_->NativeId(), 0);
  EXPECT_TRUE(DispatchUntil([&] { return recorder_.destroyed > 0; }));
  EXPECT_FALSE(host_->DispatchNext(recorder_));
  EXPECT_EQ(recorder_.destroyed, 1);
  host_.reset();  // reaps the helper
}

std::atomic<int> brokenPipes{0};

TEST_F(WindowServerTest, KilledHelperCountsAsTheWindowDestroyedOnceWithoutSigpipe) {
  struct sigaction counting {
  }, previous{};
  counting.sa_handler = [](int) { ++brokenPipes; };
  sigaction(SIGPIPE, &counting, &previous);
  const pid_t helper = host_->HelperProcessId();
  ASSERT_GT(helper, 0);
  ASSERT_EQ(::kill(helper, SIGKILL), 0);
  std::this_thread::sleep_for(100ms);
  for (int i = 0; i < 5; ++i) {
    host_->SetStatusText("Ready");  // writes to a socket nobody reads any more
    host_->Invalidate();
  }
  EXPECT_TRUE(DispatchUntil([&] { return recorder_.destroyed > 0; }));
  EXPECT_FALSE(host_->DispatchNext(recorder_));
  host_->Destroy();
  EXPECT_EQ(recorder_.destroyed, 1);
  EXPECT_FALSE(host_->Exists());
  EXPECT_EQ(host_->HelperProcessId(), 0) << "the helper is reaped";
  EXPECT_EQ(brokenPipes, 0);
  sigaction(SIGPIPE, &previous, nullptr);
}

TEST(StartWindowServer, SaysWhyWhenThereIsNoWindow) {
  struct Case {
    WindowServerOptions options;
    const char* reasonHas;
  };
  const Case cases[] = {
      {{"/nonexistent/ombrixdc-window", ":0", 10000}, "cannot start"},
      {{"", ":999", 10000}, "cannot open the display"},
  };
  for (const Case& c : cases) {
    std::string whyNot;
    EXPECT_EQ(StartWindowServer(&whyNot, c.options), nullptr);
    EXPECT_NE(whyNot.find(c.reasonHas), std::string::npos) << whyNot;
  }
}

}  // namespace
}  // namespace ui
