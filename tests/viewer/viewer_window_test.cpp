// The viewer window's answers to what the user does, played on a window without a display.
#include "src/viewer/viewer_window.h"

#include <gtest/gtest.h>

#include "platform/ui/headless_host.h"
#include "src/viewer/viewer_commands.h"
#include "src/viewer/viewer_state.h"
#include "src/viewer/viewer_text.h"

namespace ombrixdc {
namespace {

class ViewerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::WindowSpec windowSpec;
    windowSpec.frame = {40, 30, 40 + 768, 30 + 577};
    windowSpec.menu = BuiltInMenu();
    windowSpec.toolbar = ViewerToolbar(state);
    ASSERT_TRUE(host.Create(windowSpec));
  }
  // Delivers everything queued, then the paint it asked for.
  void Dispatch() {
    while (host.DispatchNext(window) && host.Exists()) {
      if (host.PaintCount() > paints) {
        break;
      }
    }
    paints = host.PaintCount();
  }

  ViewerState state;
  ui::HeadlessHost host;
  ViewerWindow window{state, host, BuiltInTextLookup(TextVariant::EnglishUS), ui::Image{}, nullptr};
  int32_t paints = 0;
};

TEST_F(ViewerWindowTest, StatusBarAndTooltips_ShowTheWordsOfWhatIsPointedAt) {
  struct Case {
    enum { Tooltip, MenuSelect, MouseMove } kind;
    int32_t id;
    std::string status;
    std::string tooltip;
  };
  const Case cases[] = {
      {Case::Tooltip, kCommandMagnify, "Decrease distance between rings", "Magnify error"},
      {Case::MenuSelect, kCommandExit, "Close the drawing window", ""},
      {Case::MouseMove, 0, "Ready", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    host.SetStatusText("-");
    if (c.kind == Case::Tooltip) {
      host.InjectTooltipRequest(c.id);
    } else if (c.kind == Case::MenuSelect) {
      host.InjectMenuSelect(c.id);
    } else {
      host.InjectMouseMove();
    }
    ASSERT_TRUE(host.DispatchNext(window));
    EXPECT_EQ(host.GetState().statusText, c.status);
    if (c.kind == Case::Tooltip) {
      EXPECT_EQ(host.LastTooltip(), c.tooltip);
    }
  }
}

TEST_F(ViewerWindowTest, TooSmallRestoredWindow_SpringsBackAtItsTopLeft) {
  host.InjectResize({500, 300}, true);
  Dispatch();
  const ui::Rect frame = host.GetState().frame;
  EXPECT_EQ(frame, (ui::Rect{40, 30, 40 + 768, 30 + 577}));
  EXPECT_EQ(host.ClientRect(), (ui::Rect{0, 0, 760, 531}));
}

}  // namespace
}  // namespace ombrixdc
