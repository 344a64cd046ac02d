// The viewer's commands, frame rules and window answers, played on a window without a display.
#include "src/viewer/viewer_commands.h"

#include <gtest/gtest.h>

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
  // In the order of the switches below: the command, whether it has a toolbar button.
  const std::pair<int32_t, bool> cases[] = {
      {kCommandMetrology, true}, {kCommandGrid, true},       {kCommandReference, true},
      {kCommandFast, false},     {kCommandCorrected, false},
  };
  const auto switches = [this] {
    return std::array<int32_t, 5>{state.MetrologyView, state.ShowGrid, state.ShowReference,
                                  state.ShowFast, state.ShowCorrected};
  };
  for (std::size_t i = 0; i < 5; ++i) {
    const auto [id, onToolbar] = cases[i];
    for (int32_t expected : {0, 1}) {
      std::array<int32_t, 5> want = switches();  // this switch set, nothing else moved
      want[i] = expected;
      EXPECT_EQ(ApplyViewerCommand(id, state, &host), CommandOutcome::Repaint);
      EXPECT_EQ(switches(), want) << id;
      const ui::HeadlessHost::State window = host.GetState();
      EXPECT_EQ(window.menuChecks.at(id), expected == 1) << id;
      EXPECT_EQ(window.toolbarChecks.count(id), onToolbar ? 1u : 0u) << id;
      if (onToolbar) {
        EXPECT_EQ(window.toolbarChecks.at(id), expected == 1) << id;
      }
    }
  }
  EXPECT_EQ(state.RingIndex, -1);
}

TEST_F(CommandTest, MagnifyAndShrink_StayWithinTheEightRingScales) {
  // The ring index before, the command, the index after, the outcome.
  using enum CommandOutcome;
  const std::tuple<int32_t, int32_t, int32_t, CommandOutcome> cases[] = {
      {-1, kCommandMagnify, -1, None},  // no data: nothing to magnify
      {-1, kCommandShrink, 0, Repaint}, {0, kCommandMagnify, 0, None},
      {1, kCommandMagnify, 0, Repaint}, {6, kCommandShrink, 7, Repaint},
      {7, kCommandShrink, 7, None},
  };
  for (const auto& [start, id, expected, outcome] : cases) {
    state.RingIndex = start;
    EXPECT_EQ(ApplyViewerCommand(id, state, &host), outcome) << start << " " << id;
    EXPECT_EQ(state.RingIndex, expected) << start << " " << id;
  }
}

TEST(ViewerFrameRules, StatusAndTooltipTextIds) {
  // A command or menu id, the status text id on its selection, its tooltip's text id; the
  // menu closing (0) and commands without a toolbar button have the ready text, 33030.
  const int32_t cases[][3] = {
      {0, 33030, 33030},
      {kCommandOpen, kCommandOpen, 33002},
      {kCommandExit, kCommandExit, 33030},
      {kCommandShrink, kCommandShrink, 33033},
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
