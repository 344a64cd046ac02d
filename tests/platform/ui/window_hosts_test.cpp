// The two window hosts: the headless one the tests drive by hand, and the helper process on a
// real X display.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/bitmap_file.h"
#include "platform/ui/headless_host.h"
#include "platform/ui/window_server_host.h"
#include "tests/platform/ui/xvfb_display.h"
#include "tests/support/temp_folder.h"

namespace ui {
namespace {

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
  ASSERT_TRUE(host.Create(WindowSpec{}));
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
    WindowSpec spec;
    spec.frame = {60, 40, 828, 617};
    spec.menu = {{0, "&File", false, {{32769, "E&xit", false, {}}}}};
    spec.toolbar = {{ToolKind::Separator, 0, 0, false},
                    {ToolKind::CheckButton, 32778, 1, true},
                    {ToolKind::Button, 32779, 3, false}};
    ASSERT_TRUE(host_->Create(spec));
    ASSERT_NE(host_->NativeId(), 0);
  }

  // Dispatches until `event` has reached the listener or five seconds pass; a ticker wakes
  // the loop meanwhile.
  bool DispatchUntil(const std::string& event) {
    std::atomic<bool> stop{false};
    std::thread ticker([&] {
      while (!stop) {
        std::this_thread::sleep_for(20ms);
        host_->Wake();
      }
    });
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!recorder_.Saw(event) && host_->DispatchNext(recorder_) &&
           std::chrono::steady_clock::now() < deadline) {
    }
    stop = true;
    ticker.join();
    return recorder_.Saw(event);
  }

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
  for (int attempt = 0; attempt < 50 && !shown; ++attempt) {
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
