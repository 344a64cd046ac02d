#pragma once
// Window services of the Radial Error View: one top-level window with a menu, a toolbar of
// buttons and check buttons with tooltips, a status bar, a client area painted through a
// Canvas, and an open-file dialog. Two implementations: HeadlessHost (no display: tests and
// exports) and the window server client, which drives the `ombrixdc-window` helper process.
//
// Every method may be called from any thread; calls are serialised inside the host. Events
// from the window reach the WindowListener only inside DispatchNext, on the thread that calls
// it (the viewer thread).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/canvas.h"

namespace ui {

// A menu entry; an entry with items is a popup. Text may hold '&' before the mnemonic letter.
// Only a checkable entry shows a check mark (`checked`); the others are plain commands.
struct MenuItem {
  int32_t id = 0;
  std::string text;
  bool checked = false;
  std::vector<MenuItem> items;
  bool checkable = false;
};

enum class ToolKind : int32_t { Button = 0, CheckButton = 1, Separator = 2 };

// `image` indexes the toolbar's own picture strip: 0 open, 1 metrology, 2 reference,
// 3 magnify, 4 shrink, 5 grid.
struct ToolButton {
  ToolKind kind = ToolKind::Button;
  int32_t id = 0;
  int32_t image = 0;
  bool checked = false;
};

struct WindowDescription {
  std::string title;
  Rect frame;  // outer position and size on the screen
  bool visible = true;
  std::vector<MenuItem> menu;  // the menu bar's popups
  std::vector<ToolButton> toolbar;
  std::string statusText;
};

struct FileFilter {
  std::string name;     // "Data Files (*.dat)"
  std::string pattern;  // "*.dat"
};

struct OpenFileRequest {
  std::string startDirectory;  // empty: the process's current directory
  std::vector<FileFilter> filters;
};

// What the window reports. The client area includes the toolbar and status bar, which lie
// over its top and bottom edges, so the paint sees the whole area below the menu bar.
class WindowListener {
 public:
  virtual ~WindowListener() = default;
  virtual void OnPaint(Canvas& canvas, Rect client) = 0;
  virtual void OnCommand(int32_t id) = 0;
  // The close box: the listener decides (the viewer destroys the window).
  virtual void OnCloseBox() = 0;
  virtual void OnResize(Size client, bool restored) = 0;
  virtual void OnMouseMove() = 0;
  // A menu item is highlighted; ids below 32768 are popup titles or the menu closing.
  virtual void OnMenuSelect(int32_t id) = 0;
  // The toolbar asks for the tooltip of button `id`; the answer is shown as the tooltip.
  virtual std::string OnTooltip(int32_t id) = 0;
  // The window is gone: destroyed on request, or the window server ended (crash, kill).
  // Called once per window.
  virtual void OnDestroyed() = 0;
};

class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // Creates the one window. False when it cannot be made (no window server, refused).
  virtual bool Create(const WindowDescription& windowDescription) = 0;
  // The window system's id of the window (X11 window id), 0 while there is none.
  virtual int64_t NativeId() const = 0;
  virtual bool Exists() const = 0;

  virtual void Move(Rect frame) = 0;
  virtual void Show(bool visible) = 0;
  virtual void ShowMaximised() = 0;
  // Raises the window when it is shown; a hidden window stays hidden.
  virtual void BringToFront() = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetMenuCheck(int32_t id, bool checked) = 0;
  virtual void SetToolbarCheck(int32_t id, bool checked) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void Resize(Size outer) = 0;
  // Asks for a repaint of the whole client area: the listener's OnPaint runs in a later
  // DispatchNext.
  virtual void Invalidate() = 0;
  // Destroys the window; OnDestroyed follows in a later DispatchNext.
  virtual void Destroy() = 0;

  // Shows the open-file dialog and waits for the user. The chosen path, or nothing when the
  // dialog was cancelled or the window is gone. Call on the viewer thread.
  virtual std::optional<std::string> OpenFileDialog(const OpenFileRequest& request) = 0;
  // The window is about to close: a dialog that is up ends as if cancelled and no later one
  // opens, so a waiting OpenFileDialog returns without a person. Any thread.
  virtual void EndDialogs() = 0;

  // Waits for the next event and hands it to `listener`. False once the window has been
  // destroyed and its OnDestroyed delivered: the message loop ends.
  virtual bool DispatchNext(WindowListener& listener) = 0;
  // Makes a waiting DispatchNext return (with true) without an event, so the loop can look
  // at its own flags.
  virtual void Wake() = 0;
};

}  // namespace ui
