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
#include "tests/platform/ui/recording_listener.h"
#include "tests/platform/ui/xvfb_display.h"
#include "tests/support/temp_folder.h"

namespace ui {
namespace {

using namespace std::chrono_literals;

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
  RecordingListener recorder_;
};

TEST_F(WindowServerTest, PaintsResizesTakesUserInputAndDestroyEndsOnce) {
  // The frame less the borders, caption and menu bar of the window system this replaces,
  // whatever height our menu bar has: a viewer that springs a small window back to its
  // default frame must find the default client area there.
  ASSERT_TRUE(DispatchUntil([&] { return recorder_.Saw("paint 760x531"); }));
  EXPECT_TRUE(recorder_.Saw("resize 760x531 restored"));
  EXPECT_TRUE(ShowsThePlotColours());
  host_->Resize({900, 700});
  EXPECT_TRUE(DispatchUntil([&] { return recorder_.Saw("paint 892x654"); }))
      << "a resized window is painted again at its new size";

  host_->SimulateInput(protocol::TestAction::ActivateMenuItem, 32769);
  host_->SimulateInput(protocol::TestAction::ClickToolButton, 32778);
  host_->SimulateInput(protocol::TestAction::HoverToolButton, 32779);
  host_->SimulateInput(protocol::TestAction::PressCloseBox, 0);
  recorder_.events.clear();
  ASSERT_TRUE(DispatchUntil([&] { return recorder_.Saw("close box"); }));
  EXPECT_EQ(recorder_.events, (std::vector<std::string>{"command 32769", "command 32778",
                                                        "tooltip 32779", "close box"}));
  EXPECT_TRUE(host_->Exists()) << "the close box leaves the decision to the viewer";

  host_->Destroy();
  EXPECT_FALSE(host_->Exists());
  EXPECT_TRUE(DispatchUntil([&] { return recorder_.Saw("destroyed"); }));
  EXPECT_FALSE(host_->DispatchNext(recorder_));
  EXPECT_EQ(std::count(recorder_.events.begin(), recorder_.events.end(), "destroyed"), 1);
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
  EXPECT_TRUE(DispatchUntil([&] { return recorder_.Saw("destroyed"); }));
  EXPECT_FALSE(host_->DispatchNext(recorder_));
  host_->Destroy();
  EXPECT_EQ(std::count(recorder_.events.begin(), recorder_.events.end(), "destroyed"), 1);
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
