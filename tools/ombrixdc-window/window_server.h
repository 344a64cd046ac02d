#pragma once
// The state of the window server helper: the one window it shows for its client, the
// widgets the client's messages reach, and what it last painted. Lives on the GTK main thread.
#include <gtk/gtk.h>

#include <cstdint>
#include <map>
#include <string>

#include "platform/ui/display_list.h"
#include "platform/ui/window_protocol.h"

struct WindowServer {
  int socket = -1;
  ui::protocol::FrameReader reader;

  GtkWidget* window = nullptr;
  GtkWidget* menuBar = nullptr;
  GtkWidget* clientArea = nullptr;  // toolbar, drawing area and status bar, top to bottom
  GtkWidget* drawing = nullptr;
  GtkWidget* statusBar = nullptr;  // a label
  GtkWidget* dialog = nullptr;
  bool dialogsEnded = false;  // the window is closing: no more dialogs
  bool windowGone = false;

  std::map<int32_t, GtkMenuItem*> menuItems;
  std::map<int32_t, bool> menuChecks;  // the state the client last set
  std::map<int32_t, GtkToolItem*> toolItems;
  std::map<int32_t, bool> toolChecks;
  std::map<int32_t, std::string> tooltips;  // the client's answers
  int32_t tooltipAsked = 0;
  gint64 tooltipAskedAt = 0;
  bool applying = false;  // a state set by the client, not a user action

  ui::DisplayList paint;
  ui::Size lastClient{-1, -1};
  bool lastRestored = true;
  gint64 lastMotionAt = 0;
};

// Sends to the client; a client that is gone ends the helper's loop.
void SendToClient(WindowServer& server, const ui::protocol::Event& message);
// Builds the window of a CreateWindow message and reports its X11 id.
void CreateServerWindow(WindowServer& server, const ui::WindowDescription& windowDescription);
// Outer frame size (borders, caption and menu bar included) to the window's own size.
void ResizeServerWindow(WindowServer& server, ui::Size outer);
// Acts on one message of the client.
void HandleRequest(WindowServer& server, const ui::protocol::Request& message);
// Asks the client for the tooltip of a toolbar button (its answer may come later).
void RequestTooltip(WindowServer& server, int32_t id);
