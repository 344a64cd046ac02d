#include "platform/ui/headless_host.h"

#include <gtest/gtest.h>

#include "tests/platform/ui/recording_listener.h"

namespace ui {
namespace {

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
  const std::vector<std::string> expected = {"command 32781",
                                             "menu 32768",
                                             "mouse",
                                             "tooltip 32779",
                                             "close box",
                                             "resize 492x354 restored",
                                             "resize 1912x1034 maximised",
                                             "paint 1912x1034",
                                             "destroyed"};
  EXPECT_EQ(recorder.events, expected);
  EXPECT_EQ(host.LastTooltip(), "tip 32779");
  EXPECT_EQ(host.PaintCount(), 1) << "invalidations coalesce";
  DisplayList painted;
  RecordingListener().OnPaint(painted, {0, 0, 1912, 1034});
  EXPECT_EQ(host.LastPaint().Ops(), painted.Ops());
  EXPECT_EQ(host.DestroyedCount(), 1);
}

}  // namespace
}  // namespace ui
