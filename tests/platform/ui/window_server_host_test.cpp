#include "platform/ui/window_server_host.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
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
  std::vector<int32_t> commands, tooltipsAsked;
  int32_t closeBoxes = 0, destroyed = 0;
  Rect lastClient;
  Size resized;
  void OnPaint(Canvas& canvas, Rect client) override {
    lastClient = client;
    // The three plot colours as wide bands in the middle of the client area.
    const Rgb colours[] = {{0, 0, 255}, {255, 0, 0}, {0, 255, 0}};
    for (int32_t i = 0, top = 100; i < 3; ++i, top += 60) {
      canvas.SelectPen(Pen{colours[i], 1, LineStyle::Solid});
      canvas.SelectBrush(colours[i]);
      const Point band[] = {{100, top}, {400, top}, {400, top + 40}, {100, top + 40}};
      canvas.Polygon(band);
    }
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
    WindowSpec spec;
    spec.title = "OmbrixDC";
    spec.frame = {60, 40, 828, 617};
    spec.menu = {{0, "&File", false, {{32769, "E&xit", false, {}}}}};
    spec.toolbar = {{ToolKind::Button, 32768, 0, false},
                    {ToolKind::Separator, 0, 0, false},
                    {ToolKind::CheckButton, 32778, 1, true},
                    {ToolKind::Button, 32779, 3, false}};
    ASSERT_TRUE(host_->Create(spec));
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
    while (!done() && host_->DispatchNext(recorder_) &&
           std::chrono::steady_clock::now() < deadline) {
    }
    stop = true;
    ticker.join();
    return done();
  }

  // Whether a screenshot of the window shows all three plot colours (within five seconds).
  bool ShowsThePlotColours() {
    TempFolder folder;
    const std::string shot = (folder.Path() / "window.bmp").string();
    const std::string command = "import -display " + xvfb_.Display() + " -window " +
                                std::to_string(host_->NativeId()) + " bmp3:" + shot +
                                " 2>/dev/null";
    for (int attempt = 0; attempt < 50; ++attempt) {
      std::this_thread::sleep_for(100ms);
      const std::optional<Image> image =
          std::system(command.c_str()) == 0 ? LoadBmp(shot) : std::nullopt;
      int found = 0;
      for (const uint32_t colour : {0x0000FFu, 0xFF0000u, 0x00FF00u}) {
        found += image && std::find(image->pixels.begin(), image->pixels.end(), colour) !=
                              image->pixels.end();
      }
      if (found == 3) {
        return true;
      }
    }
    return false;
  }

  XvfbDisplay xvfb_;
  std::unique_ptr<WindowServerHost> host_;
  Recorder recorder_;
};

TEST_F(WindowServerTest, PaintsResizesTakesUserInputAndDestroyEndsOnce) {
  // The frame less the borders, caption and menu bar of the window system this replaces,
  // whatever height our menu bar has: a viewer that springs a small window back to its
  // default frame must find the default client area there.
  ASSERT_TRUE(DispatchUntil([&] { return recorder_.lastClient == Rect{0, 0, 760, 531}; }));
  EXPECT_EQ(recorder_.resized, (Size{760, 531}));
  EXPECT_TRUE(ShowsThePlotColours());
  host_->Resize({900, 700});
  EXPECT_TRUE(DispatchUntil([&] {
    return recorder_.lastClient == Rect{0, 0, 892, 654};
  })) << "a resized window is painted again at its new size";

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
  EXPECT_TRUE(DispatchUntil([&] { return recorder_.destroyed > 0; }));
  EXPECT_FALSE(host_->DispatchNext(recorder_));
  EXPECT_EQ(recorder_.destroyed, 1);
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
  const std::pair<WindowServerOptions, const char*> cases[] = {
      {{"/nonexistent/ombrixdc-window", ":0", 10000}, "cannot start"},
      {{"", ":999", 10000}, "cannot open the display"},
  };
  for (const auto& [options, reason] : cases) {
    std::string whyNot;
    EXPECT_EQ(StartWindowServer(&whyNot, options), nullptr);
    EXPECT_NE(whyNot.find(reason), std::string::npos) << whyNot;
  }
}

}  // namespace
}  // namespace ui
