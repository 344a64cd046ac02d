// The window hosts: the headless one the viewer's tests drive by hand, and the window helper
// process on a private X display, driven through its host.
#include "platform/ui/headless_host.h"
#include "platform/ui/window_server_host.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/bitmap_file.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace ui {
namespace {

using namespace std::chrono_literals;

// Writes what reaches it as lines of text, in the order the viewer's message loop would see
// it, and paints the three plot colours as wide bands.
struct RecordingListener final : WindowListener {
  std::vector<std::string> events;
  bool Saw(const std::string& event) const {
    return std::ranges::find(events, event) != events.end();
  }
  void OnPaint(Canvas& canvas, Rect client) override {
    const Rgb colours[] = {{0, 0, 255}, {255, 0, 0}, {0, 255, 0}};
    for (int32_t i = 0, top = 100; i < 3; ++i, top += 60) {
      canvas.SelectPen(Pen{colours[i], 1, LineStyle::Solid});
      canvas.SelectBrush(colours[i]);
      canvas.Polygon(std::vector<Point>{{100, top}, {400, top}, {400, top + 40}, {100, top + 40}});
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
  EXPECT_FALSE(host.Create(WindowDescription{}));  // one window per host
  host.Invalidate();
  host.InjectCommand(32781);
  host.InjectMenuSelect(32768);
  host.InjectMouseMove();
  host.InjectTooltipRequest(32779);
  host.InjectCloseBox();
  host.InjectResize({300, 200}, true);  // the user dragged the frame: the client area follows
  EXPECT_EQ(host.ClientRect(), (Rect{0, 0, 300, 200}));
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
            "command 32781, menu 32768, mouse, tooltip 32779, close box, resize 300x200 restored, "
            "resize 492x354 restored, resize 1912x1034 maximised, paint 1912x1034, destroyed");
  EXPECT_EQ(host.LastTooltip(), "tip 32779");
  EXPECT_EQ(host.PaintCount(), 1) << "invalidations coalesce";
  EXPECT_FALSE(host.Create(WindowDescription{}));  // nor a second one after it
}

class WindowServerTest : public ::testing::Test {
 protected:
  // A private X server first: Xvfb on a display number it picks itself (-displayfd). The
  // shell prints Xvfb's id at once, Xvfb its display number when it is ready, or nothing when
  // it ends.
  void SetUp() override {
    if (FILE* out = ::popen(
            "Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo $!", "r")) {
      int32_t number = -1;
      if (std::fscanf(out, "%d %d", &xvfb_, &number) == 2) {
        display_ = ":" + std::to_string(number);
      }
      ::pclose(out);
    }
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start (scripts/install-deps)";
    std::string whyNot;
    host_.reset(static_cast<WindowServerHost*>(
        StartWindowServer(&whyNot, {"", display_, 10000}).release()));
    ASSERT_NE(host_, nullptr) << whyNot;
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
  // The window goes before its display.
  void TearDown() override {
    host_.reset();
    if (xvfb_ > 0) {
      ::kill(xvfb_, SIGTERM);
    }
  }

  // Dispatches until `event` has reached the listener or 30 seconds pass; a ticker wakes
  // the loop meanwhile.
  bool DispatchUntil(const std::string& event) {
    std::jthread ticker([&](std::stop_token stop) {
      while (!stop.stop_requested()) {
        std::this_thread::sleep_for(20ms);
        host_->Wake();
      }
    });
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!recorder_.Saw(event) && host_->DispatchNext(recorder_) &&
           std::chrono::steady_clock::now() < deadline) {
    }
    return recorder_.Saw(event);  // before the ticker stops
  }

  // The output of `command` run against the test's display.
  std::string Ask(const std::string& command) const {
    return RunChild({"/bin/sh", "-c", command}, {"DISPLAY=" + display_}).out;
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
    std::istringstream ids(Ask("xdotool search --onlyvisible --classname ombrixdc-window"));
    std::vector<std::string> others(std::istream_iterator<std::string>(ids), {});
    std::erase(others, std::to_string(host_->NativeId()));
    return others;
  }

  bool visible_ = true;
  pid_t xvfb_ = 0;
  std::string display_;  // ":N"
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
  const auto showsBands = [&](const std::string&) {
    const std::optional<Image> image = LoadBmp(shot);
    return image && std::ranges::all_of(std::array{0x0000FFu, 0xFF0000u, 0x00FF00u}, [&](auto c) {
             return std::ranges::find(image->pixels, c) != image->pixels.end();
           });
  };
  EXPECT_TRUE(AskUntil("import -window " + std::to_string(host_->NativeId()) + " bmp3:" + shot,
                       showsBands, 300));
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
  EXPECT_TRUE(AskUntil("true", [&](const std::string&) {
    return std::ranges::any_of(OtherShownWindows(), [&](const std::string& id) {
      return Ask("xprop -id " + id + " _NET_WM_WINDOW_TYPE").find("TOOLTIP") != std::string::npos;
    });
  })) << "no tooltip window was mapped";
}

// A closing window ends an open-file dialog that nobody answers, and refuses a later one.
TEST_F(WindowServerTest, EndDialogsReleasesAWaitingOpenFileDialog) {
  ASSERT_TRUE(DispatchUntil("paint 760x531"));
  auto answered = std::async(std::launch::async, [&] {
    return host_->OpenFileDialog({"/", {{"All", "*"}}});
  });
  EXPECT_TRUE(AskUntil("true", [&](const std::string&) { return !OtherShownWindows().empty(); }))
      << "the dialog did not appear";
  host_->EndDialogs();
  const bool ended = answered.wait_for(10s) == std::future_status::ready;
  if (!ended) {
    host_->Destroy();  // frees the waiting thread either way
  }
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
  const auto previous = ::signal(SIGPIPE, [](int) { ++brokenPipes; });
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
  ::signal(SIGPIPE, previous);
}

}  // namespace
}  // namespace ui
