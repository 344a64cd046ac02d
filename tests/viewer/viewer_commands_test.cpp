// The viewer's commands, played on a window without a display, and the status bar's text cut.
#include "src/viewer/viewer_commands.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <tuple>

#include "platform/ui/headless_host.h"
#include "src/viewer/viewer_state.h"
#include "src/viewer/viewer_text.h"

namespace ombrixdc {
namespace {

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::WindowDescription windowDescription;
    windowDescription.frame = {40, 30, 40 + 768, 30 + 577};
    windowDescription.menu = BuiltInMenu();
    SetMenuChecks(windowDescription.menu, state);
    windowDescription.toolbar = ViewerToolbar(state);
    ASSERT_TRUE(host.Create(windowDescription));
  }
  ViewerState state;
  ui::HeadlessHost host;
};

// Every check command inverts its own switch only, and the window's checks follow it; the
// Fast and Corrected switches have no toolbar button.
TEST_F(CommandTest, CheckCommands_InvertOneSwitch_AndItsChecks) {
  // The commands in the order of the switches below; the first three have toolbar buttons.
  const int32_t commands[] = {kCommandMetrology, kCommandGrid, kCommandReference, kCommandFast,
                              kCommandCorrected};
  const auto switches = [this] {
    return std::array<int32_t, 5>{state.MetrologyView, state.ShowGrid, state.ShowReference,
                                  state.ShowFast, state.ShowCorrected};
  };
  // The toolbar starts with the switches' checks.
  EXPECT_EQ(host.GetState().toolbarChecks,
            (std::map<int32_t, bool>{
                {kCommandMetrology, true}, {kCommandGrid, true}, {kCommandReference, true}}));
  for (std::size_t i = 0; i < 5; ++i) {
    const int32_t id = commands[i];
    const bool onToolbar = i < 3;
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

// Only the five switches are check items; Open, Exit, Magnify and Shrink are plain commands.
TEST(ViewerMenu, OnlyTheSwitchesAreCheckItems_TextsMakeTheBuiltInMenu) {
  // A highlighted command shows its own prompt in the status bar, a popup's title "Ready".
  EXPECT_EQ(MenuSelectTextId(kCommandMagnify), kCommandMagnify);
  EXPECT_EQ(MenuSelectTextId(0), kTextReady);
  // The menu made from the built-in texts reads as the built-in menu, but for the access keys.
  std::vector<std::string> texts[2];
  const auto shown = [](std::string text) { return std::erase(text, '&'), text; };
  std::size_t m = 0;
  for (const auto& menu :
       {BuiltInMenu(), MenuFromTexts(BuiltInTextLookup(TextVariant::EnglishUS))}) {
    std::vector<int32_t> checkable, plain;
    for (const ui::MenuItem& popup : menu) {
      EXPECT_FALSE(popup.checkable);
      texts[m].push_back(shown(popup.text));
      for (const ui::MenuItem& item : popup.items) {
        (item.checkable ? checkable : plain).push_back(item.id);
        texts[m].push_back(shown(item.text));
      }
    }
    EXPECT_EQ(checkable, (std::vector<int32_t>{kCommandMetrology, kCommandGrid, kCommandReference,
                                               kCommandFast, kCommandCorrected}));
    EXPECT_EQ(plain, (std::vector<int32_t>{32768, 32769, kCommandMagnify, kCommandShrink}));
    ++m;
  }
  EXPECT_EQ(texts[0], texts[1]);
}

TEST(ViewerFrameRules, CutText_NeverSplitsACharacter) {
  EXPECT_EQ(CutText("Ready", 79), "Ready");
  // "Größe" is G r \xC3\xB6 \xC3\x9F e: a cut inside a two-byte character drops all of it.
  EXPECT_EQ(CutText("Gr\u00F6\u00DFe", 3), "Gr");
  EXPECT_EQ(CutText("Gr\u00F6\u00DFe", 4), "Gr\u00F6");
}

// A restored window smaller than the default client area in either direction springs back to
// the default frame; a maximised one, or one at least that large, stays.
TEST(ViewerFrameRules, SpringBackSize_OnlyForARestoredWindowTooSmall) {
  const std::tuple<ui::Size, bool, std::optional<ui::Size>> cases[] = {
      {{759, 900}, true, ui::Size{768, 577}},
      {{900, 530}, true, ui::Size{768, 577}},
      {{760, 531}, true, std::nullopt},
      {{100, 100}, false, std::nullopt}};
  for (const auto& [client, restored, outer] : cases) {
    EXPECT_EQ(SpringBackSize(client, restored), outer) << client.width << "x" << client.height;
  }
}

}  // namespace
}  // namespace ombrixdc
