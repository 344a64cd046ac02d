#pragma once
// The viewer window's commands (menu and toolbar) and the small rules of its frame: what each
// command changes, which words the status bar and the tooltips show, the checks of the menu
// and toolbar, and the smallest size the window keeps.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/window_host.h"
#include "src/viewer/viewer_data.h"

namespace ombrixdc {

struct ViewerState;

// Command ids; each is also the string id of its status-bar prompt.
inline constexpr int32_t kCommandOpen = 32768;
inline constexpr int32_t kCommandExit = 32769;
inline constexpr int32_t kCommandMetrology = 32778;
inline constexpr int32_t kCommandMagnify = 32779;
inline constexpr int32_t kCommandShrink = 32780;
inline constexpr int32_t kCommandGrid = 32781;
inline constexpr int32_t kCommandReference = 32782;
inline constexpr int32_t kCommandFast = 32783;
inline constexpr int32_t kCommandCorrected = 32784;

inline constexpr int32_t kTextOpen = 33002;
inline constexpr int32_t kTextReady = 33030;

// Tooltips hold at most 79 characters, the status bar 127.
inline constexpr std::size_t kMaxTooltipLength = 79;
inline constexpr std::size_t kMaxStatusLength = 127;

// The window springs back to this outer size when made smaller than kMinClientSize.
inline constexpr ui::Size kDefaultOuterSize{768, 577};
inline constexpr ui::Size kMinClientSize{760, 531};

enum class CommandOutcome : int32_t {
  None,      // unknown id, or a scale change that is not possible
  Repaint,   // a view switch or the scale changed: the whole client area is drawn again
  OpenFile,  // File > Open...: the caller runs the dialog
  Exit,      // File > Exit: the caller destroys the window
};

// Applies a command to the view switches and, when `host` is given, sets the window's menu
// and toolbar checks to the new values. Open and Exit change nothing here.
CommandOutcome ApplyViewerCommand(int32_t id, ViewerState& state, ui::WindowHost* host);

// Status text id while the menu highlights `id`: popup titles and the menu closing (ids
// below the first command) show "Ready", a command its own prompt.
int32_t MenuSelectTextId(int32_t id);
// Tooltip text id of toolbar button `id`.
int32_t TooltipTextId(int32_t id);
// `text` cut to at most `maxBytes` bytes without splitting a UTF-8 character.
std::string CutText(std::string text, std::size_t maxBytes);

// The outer size to give the window after its client area became `client`: the default size
// when a restored (neither minimised nor maximised) window became too small, else nothing.
std::optional<ui::Size> SpringBackSize(ui::Size client, bool restored);

// The toolbar, left to right: Open | Metrology, Reference | Magnify, Shrink | Grid, the check
// buttons showing the switches.
std::vector<ui::ToolButton> ViewerToolbar(const ViewerState& state);
// Sets the check of every checkable menu item in `menu` from the switches.
void SetMenuChecks(std::vector<ui::MenuItem>& menu, const ViewerState& state);
// Shows ShowReference on the Reference menu item and toolbar button.
void ShowReferenceChecks(ui::WindowHost& host, int32_t showReference);

}  // namespace ombrixdc
