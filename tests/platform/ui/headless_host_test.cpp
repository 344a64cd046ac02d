#include "platform/ui/headless_host.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

// Records what reaches it, as the viewer's message loop would see it.
struct Recorder final : WindowListener {
  std::vector<std::string> events;
  void OnPaint(Canvas& canvas, Rect client) override {
    canvas.MoveTo({client.left, client.top});
    canvas.LineTo({client.right, client.bottom});
    events.push_back("paint " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
  }
  void OnCommand(int32_t id) override { events.push_back("command " + std::to_string(id)); }
  void OnCloseBox() override { events.push_back("close box"); }
  void OnResize(Size client, bool restored) override {
    events.push_back("resize " + std::to_string(client.width) + "x" +
                     std::to_string(client.height) + (restored ? " restored" : " maximised"));
  }
  void OnMouseMove() override { events.push_back("mouse"); }
  void OnMenuSelect(int32_t id) override { events.push_back("menu " + std::to_string(id)); }
  std::string OnTooltip(int32_t id) override { return "tip " + std::to_string(id); }
  void OnDestroyed() override { events.push_back("destroyed"); }
};

TEST(HeadlessHost, DeliversInjectedEventsInOrderThenPaintsThenEndsOnce) {
  HeadlessHost host;
  Recorder recorder;
  WindowSpec spec;
  spec.frame = {100, 100, 868, 677};
  spec.toolbar = {{ToolKind::Button, 32768, 0, false}};
  ASSERT_TRUE(host.Create(spec));
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
  EXPECT_FALSE(host.DispatchNext(recorder));
  const std::vector<std::string> expected = {"command 32781",
                                             "menu 32768",
                                             "mouse",
                                             "close box",
                                             "resize 492x354 restored",
                                             "resize 1912x1034 maximised",
                                             "paint 1912x1034",
                                             "destroyed"};
  EXPECT_EQ(recorder.events, expected);
  EXPECT_EQ(host.LastTooltip(), "tip 32779");
  EXPECT_EQ(host.PaintCount(), 1) << "invalidations coalesce";
  EXPECT_EQ(host.LastPaint().Ops().size(), 2u);
  EXPECT_EQ(host.DestroyedCount(), 1);
  EXPECT_EQ(host.NativeId(), 0);
}

}  // namespace
}  // namespace ui
