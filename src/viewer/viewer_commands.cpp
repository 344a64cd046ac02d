#include "src/viewer/viewer_commands.h"

#include <atomic>

#include "src/viewer/viewer_state.h"

namespace ombrixdc {
namespace {

// The switch a check command inverts, and whether it has a toolbar button.
struct CheckCommand {
  int32_t id;
  std::atomic<int32_t> ViewerState::*flag;
  bool onToolbar;
};

constexpr CheckCommand kCheckCommands[] = {
    {kCommandMetrology, &ViewerState::MetrologyView, true},
    {kCommandGrid, &ViewerState::ShowGrid, true},
    {kCommandReference, &ViewerState::ShowReference, true},
    {kCommandFast, &ViewerState::ShowFast, false},
    {kCommandCorrected, &ViewerState::ShowCorrected, false},
};

const CheckCommand* FindCheckCommand(int32_t id) {
  for (const CheckCommand& c : kCheckCommands) {
    if (c.id == id) {
      return &c;
    }
  }
  return nullptr;
}

}  // namespace

CommandOutcome ApplyViewerCommand(int32_t id, ViewerState& state, ui::WindowHost* host) {
  if (id == kCommandOpen) {
    return CommandOutcome::OpenFile;
  }
  if (id == kCommandExit) {
    return CommandOutcome::Exit;
  }
  if (id == kCommandMagnify) {
    int32_t index = state.RingIndex.load();
    // Only the viewer thread changes the scale by command; a loader may set it meanwhile, and
    // then its choice stands.
    if (index >= 1 && state.RingIndex.compare_exchange_strong(index, index - 1)) {
      return CommandOutcome::Repaint;
    }
    return CommandOutcome::None;
  }
  if (id == kCommandShrink) {
    int32_t index = state.RingIndex.load();
    if (index < kRingCount - 1 && state.RingIndex.compare_exchange_strong(index, index + 1)) {
      return CommandOutcome::Repaint;
    }
    return CommandOutcome::None;
  }
  const CheckCommand* check = FindCheckCommand(id);
  if (!check) {
    return CommandOutcome::None;
  }
  const int32_t value = (state.*(check->flag)).fetch_xor(1) ^ 1;
  if (host) {
    host->SetMenuCheck(id, value != 0);
    if (check->onToolbar) {
      host->SetToolbarCheck(id, value != 0);
    }
  }
  return CommandOutcome::Repaint;
}

int32_t MenuSelectTextId(int32_t id) {
  return id < kCommandOpen ? kTextReady : id;
}

int32_t TooltipTextId(int32_t id) {
  switch (id) {
    case kCommandOpen:
      return kTextOpen;
    case kCommandMetrology:
      return 33031;
    case kCommandMagnify:
      return 33032;
    case kCommandShrink:
      return 33033;
    case kCommandGrid:
      return 33034;
    case kCommandReference:
      return 33035;
    default:
      return kTextReady;
  }
}

std::string CutText(std::string text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) {
    return text;
  }
  std::size_t end = maxBytes;
  // Step back over continuation bytes so that no character is cut in half.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
    --end;
  }
  text.resize(end);
  return text;
}

std::optional<ui::Size> SpringBackSize(ui::Size client, bool restored) {
  if (restored && (client.width < kMinClientSize.width || client.height < kMinClientSize.height)) {
    return kDefaultOuterSize;
  }
  return std::nullopt;
}

std::vector<ui::ToolButton> ViewerToolbar(const ViewerState& state) {
  using ui::ToolKind;
  const ui::ToolButton separator{ToolKind::Separator, 0, 0, false};
  return {
      {ToolKind::Button, kCommandOpen, 0, false},
      separator,
      {ToolKind::CheckButton, kCommandMetrology, 1, state.MetrologyView.load() != 0},
      {ToolKind::CheckButton, kCommandReference, 2, state.ShowReference.load() != 0},
      separator,
      {ToolKind::Button, kCommandMagnify, 3, false},
      {ToolKind::Button, kCommandShrink, 4, false},
      separator,
      {ToolKind::CheckButton, kCommandGrid, 5, state.ShowGrid.load() != 0},
  };
}

void SetMenuChecks(std::vector<ui::MenuItem>& menu, const ViewerState& state) {
  for (ui::MenuItem& item : menu) {
    if (const CheckCommand* check = FindCheckCommand(item.id)) {
      item.checked = (state.*(check->flag)).load() != 0;
    }
    SetMenuChecks(item.items, state);
  }
}

void ShowReferenceChecks(ui::WindowHost& host, int32_t showReference) {
  host.SetMenuCheck(kCommandReference, showReference != 0);
  host.SetToolbarCheck(kCommandReference, showReference != 0);
}

}  // namespace ombrixdc
