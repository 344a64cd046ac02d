// The viewer's commands, frame rules and window answers, played on a window without a display.
#include "src/viewer/viewer_commands.h"

#include <gtest/gtest.h>

#include <numeric>
#include <tuple>

#include "platform/ui/headless_host.h"
#include "src/viewer/viewer_state.h"
#include "src/viewer/viewer_text.h"
#include "src/viewer/viewer_window.h"

namespace ombrixdc {
namespace {

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::WindowSpec windowSpec;
    windowSpec.frame = {40, 30, 40 + 768, 30 + 577};
    windowSpec.menu = BuiltInMenu();
    SetMenuChecks(windowSpec.menu, state);
    windowSpec.toolbar = ViewerToolbar(state);
    ASSERT_TRUE(host.Create(windowSpec));
  }
  ViewerState state;
  ui::HeadlessHost host;
  ViewerWindow window{state, host, BuiltInTextLookup(TextVariant::EnglishUS), ui::Image{}, nullptr};
};

// Every check command inverts its own switch only, and the window's checks follow it; the
// Fast and Corrected switches have no toolbar button.
TEST_F(CommandTest, CheckCommands_InvertOneSwitch_AndItsChecks) {
  struct Case {
    int32_t id;
    std::atomic<int32_t> ViewerState::*flag;
    bool onToolbar;
  };
  const Case cases[] = {
      {kCommandMetrology, &ViewerState::MetrologyView, true},
      {kCommandGrid, &ViewerState::ShowGrid, true},
      {kCommandReference, &ViewerState::ShowReference, true},
      {kCommandFast, &ViewerState::ShowFast, false},
      {kCommandCorrected, &ViewerState::ShowCorrected, false},
  };
  auto switches = [this] {
    return std::array<int32_t, 5>{state.MetrologyView, state.ShowGrid, state.ShowReference,
                                  state.ShowFast, state.ShowCorrected};
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    for (int32_t expected : {0, 1}) {
      std::array<int32_t, 5> before = switches();
      EXPECT_EQ(ApplyViewerCommand(c.id, state, &host), CommandOutcome::Repaint);
      EXPECT_EQ((state.*c.flag).load(), expected);
      const ui::HeadlessHost::State window = host.GetState();
      EXPECT_EQ(window.menuChecks.at(c.id), expected == 1);
      EXPECT_EQ(window.toolbarChecks.count(c.id), c.onToolbar ? 1u : 0u);
      if (c.onToolbar) {
        EXPECT_EQ(window.toolbarChecks.at(c.id), expected == 1);
      }
      const std::array<int32_t, 5> after = switches();  // nothing else moved
      EXPECT_EQ(std::inner_product(before.begin(), before.end(), after.begin(), 0, std::plus<>(),
                                   std::not_equal_to<>()),
                1);
    }
  }
  EXPECT_EQ(state.RingIndex, -1);
}

TEST_F(CommandTest, MagnifyAndShrink_StayWithinTheEightRingScales) {
  struct Case {
    int32_t start;
    int32_t id;
    int32_t expected;
    CommandOutcome outcome;
  };
  const Case cases[] = {
      {-1, kCommandMagnify, -1, CommandOutcome::None},  // no data: nothing to magnify
      {-1, kCommandShrink, 0, CommandOutcome::Repaint},
      {0, kCommandMagnify, 0, CommandOutcome::None},
      {1, kCommandMagnify, 0, CommandOutcome::Repaint},
      {6, kCommandShrink, 7, CommandOutcome::Repaint},
      {7, kCommandShrink, 7, CommandOutcome::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " " << c.id);
    state.RingIndex = c.start;
    EXPECT_EQ(ApplyViewerCommand(c.id, state, &host), c.outcome);
    EXPECT_EQ(state.RingIndex, c.expected);
  }
}

TEST_F(CommandTest, StatusBarAndTooltips_ShowTheWordsOfWhatIsPointedAt) {
  host.InjectTooltipRequest(kCommandMagnify);
  ASSERT_TRUE(host.DispatchNext(window));
  EXPECT_EQ(host.GetState().statusText, "Decrease distance between rings");
  EXPECT_EQ(host.LastTooltip(), "Magnify error");
  host.InjectMenuSelect(kCommandExit);
  ASSERT_TRUE(host.DispatchNext(window));
  EXPECT_EQ(host.GetState().statusText, "Close the drawing window");
  host.InjectMouseMove();
  ASSERT_TRUE(host.DispatchNext(window));
  EXPECT_EQ(host.GetState().statusText, "Ready");
}

TEST_F(CommandTest, TooSmallRestoredWindow_SpringsBackAtItsTopLeft) {
  host.InjectResize({500, 300}, true);
  ASSERT_TRUE(host.DispatchNext(window));
  const ui::Rect frame = host.GetState().frame;
  EXPECT_EQ(frame, (ui::Rect{40, 30, 40 + 768, 30 + 577}));
  EXPECT_EQ(host.ClientRect(), (ui::Rect{0, 0, 760, 531}));
}

TEST(ViewerFrameRules, StatusAndTooltipTextIds) {
  // A command or menu id, the status text id on its selection, its tooltip's text id.
  const int32_t cases[][3] = {
      {0, 33030, 33030},  // the menu closing
      {32767, 33030, 33030},
      {kCommandOpen, kCommandOpen, 33002},
      {kCommandExit, kCommandExit, 33030},
      {kCommandMetrology, kCommandMetrology, 33031},
      {kCommandShrink, kCommandShrink, 33033},
      {kCommandReference, kCommandReference, 33035},
      {kCommandFast, kCommandFast, 33030},
  };
  for (const auto& [id, menuSelect, tooltip] : cases) {
    EXPECT_EQ(MenuSelectTextId(id), menuSelect) << id;
    EXPECT_EQ(TooltipTextId(id), tooltip) << id;
  }
}

TEST(ViewerFrameRules, SpringBack_OnlyForARestoredWindowBelowTheSmallestClientArea) {
  // The client area, whether the window is restored, whether it springs back.
  const std::tuple<ui::Size, bool, bool> cases[] = {
      {{760, 531}, true, false},
      {{759, 531}, true, true},
      {{760, 530}, true, true},
      {{100, 100}, false, false},
  };
  for (const auto& [client, restored, springsBack] : cases) {
    const std::optional<ui::Size> outer = SpringBackSize(client, restored);
    EXPECT_EQ(outer, springsBack ? std::optional(ui::Size{768, 577}) : std::nullopt)
        << client.width << "x" << client.height;
  }
}

TEST(ViewerFrameRules, CutText_NeverSplitsACharacter) {
  EXPECT_EQ(CutText("Ready", 79), "Ready");
  EXPECT_EQ(CutText(std::string(200, 'a'), 127).size(), 127u);
  // "Größe" is G r \xC3\xB6 \xC3\x9F e: a cut inside a two-byte character drops all of it.
  const std::string word =
      "Gr\xC3\xB6\xC3\x9F"
      "e";
  EXPECT_EQ(CutText(word, 3), "Gr");
  EXPECT_EQ(CutText(word, 4), "Gr\xC3\xB6");
}

}  // namespace
}  // namespace ombrixdc
