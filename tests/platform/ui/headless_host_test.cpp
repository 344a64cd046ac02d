// The headless window host the viewer's tests drive by hand.
#include "platform/ui/headless_host.h"

#include <gtest/gtest.h>

#include "tests/platform/ui/recording_listener.h"

namespace ui {
namespace {

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
            "resize 492x354 restored, "
            "resize 1912x1034 maximised, paint 1912x1034, destroyed");
  EXPECT_EQ(host.LastTooltip(), "tip 32779");
  EXPECT_EQ(host.PaintCount(), 1) << "invalidations coalesce";
  EXPECT_EQ(host.DestroyedCount(), 1);
  EXPECT_FALSE(host.Create(WindowDescription{}));  // nor a second one after it
}

}  // namespace
}  // namespace ui
