// Building the window: menu bar, client area (toolbar, drawing area and status bar, one above
// the other), and the signals that turn user input into messages.
#include <gdk/gdkx.h>

#include "platform/ui/cairo_canvas.h"
#include "platform/ui/text_metrics.h"
#include "tools/ombrixdc-window/toolbar_icons.h"
#include "tools/ombrixdc-window/window_server.h"

namespace {

constexpr gint64 kMotionInterval = 100000;  // microseconds between mouse-move reports
constexpr gint64 kTooltipAskAgain = 1000000;
// The frame of the window system this replaces: 4-pixel borders and a 19-pixel caption; the
// client area is the frame less these and a 19-pixel menu bar, whatever ours measures.
constexpr int32_t kFrameBorder = 4;
constexpr int32_t kCaptionHeight = 19;
constexpr int32_t kMenuHeight = 19;

constexpr const char* kStyle =
    // The status bar is a plain label reaching the window's left and bottom edges (the
    // toolkit's own status bar insets its text and rule by several pixels).
    "label.status-bar { background-color: @theme_bg_color; border-top: 1px solid @borders;"
    " padding: 3px 6px; }"
    // A compact toolbar (about 28 pixels, as on the window system this replaces) so it never
    // covers the logo the paint places 35 pixels below the top of the client area.
    "toolbar { border-bottom: 1px solid @borders; padding: 1px 2px; }"
    "toolbar button { padding: 2px; min-height: 0; min-width: 0; }"
    "toolbar separator { margin: 0 3px; }"
    "menu menuitem check:not(:checked) { -gtk-icon-source: none; }";

// '&' marks the mnemonic on the window system this replaces, '_' here; "&&" is a plain '&'.
std::string MnemonicLabel(const std::string& text) {
  const std::string drawable = ui::DrawableText(text);
  std::string label;
  for (size_t i = 0; i < drawable.size(); ++i) {
    if (drawable[i] == '&') {
      const bool doubled = i + 1 < drawable.size() && drawable[i + 1] == '&';
      label += doubled ? "&" : "_";
      i += doubled ? 1 : 0;
    } else {
      label += drawable[i] == '_' ? std::string("__") : std::string(1, drawable[i]);
    }
  }
  return label;
}

int32_t IdOf(gpointer widget) {
  return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), "ombrixdc-id"));
}

void OnMenuActivate(GtkMenuItem* item, gpointer data) {
  auto& server = *static_cast<WindowServer*>(data);
  if (server.applying) {
    return;
  }
  // The client decides the check state; undo the toolkit's own toggle.
  const int32_t id = IdOf(item);
  if (GTK_IS_CHECK_MENU_ITEM(item)) {
    server.applying = true;
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), server.menuChecks[id]);
    server.applying = false;
  }
  SendToClient(server, ui::protocol::Command{id});
}

void OnMenuSelect(GtkMenuItem* item, gpointer data) {
  SendToClient(*static_cast<WindowServer*>(data), ui::protocol::MenuSelected{IdOf(item)});
}

void OnMenuClosed(GtkMenuShell*, gpointer data) {
  SendToClient(*static_cast<WindowServer*>(data), ui::protocol::MenuSelected{0});
}

void AddMenuItems(WindowServer& server, GtkWidget* shell, const std::vector<ui::MenuItem>& items) {
  for (const ui::MenuItem& entry : items) {
    const std::string label = MnemonicLabel(entry.text);
    GtkWidget* item = nullptr;
    if (entry.items.empty()) {
      if (entry.checkable) {
        item = gtk_check_menu_item_new_with_mnemonic(label.c_str());
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), entry.checked);
        server.menuChecks[entry.id] = entry.checked;
      } else {
        item = gtk_menu_item_new_with_mnemonic(label.c_str());
      }
      server.menuItems[entry.id] = GTK_MENU_ITEM(item);
      g_signal_connect(item, "activate", G_CALLBACK(OnMenuActivate), &server);
    } else {
      item = gtk_menu_item_new_with_mnemonic(label.c_str());
      GtkWidget* popup = gtk_menu_new();
      AddMenuItems(server, popup, entry.items);
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), popup);
    }
    g_object_set_data(G_OBJECT(item), "ombrixdc-id", GINT_TO_POINTER(entry.id));
    g_signal_connect(item, "select", G_CALLBACK(OnMenuSelect), &server);
    gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
  }
}

void OnToolClicked(GtkToolButton* button, gpointer data) {
  auto& server = *static_cast<WindowServer*>(data);
  if (server.applying) {
    return;
  }
  const int32_t id = IdOf(button);
  if (GTK_IS_TOGGLE_TOOL_BUTTON(button)) {
    server.applying = true;
    gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(button), server.toolChecks[id]);
    server.applying = false;
  }
  SendToClient(server, ui::protocol::Command{id});
}

gboolean OnQueryTooltip(GtkWidget* item, gint, gint, gboolean, GtkTooltip* tooltip, gpointer data) {
  auto& server = *static_cast<WindowServer*>(data);
  const int32_t id = IdOf(item);
  RequestTooltip(server, id);
  const auto answer = server.tooltips.find(id);
  if (answer == server.tooltips.end()) {
    return FALSE;  // shown once the client's answer arrives
  }
  gtk_tooltip_set_text(tooltip, ui::DrawableText(answer->second).c_str());
  return TRUE;
}

GtkWidget* BuildToolbar(WindowServer& server, const std::vector<ui::ToolButton>& buttons) {
  GtkWidget* toolbar = gtk_toolbar_new();
  gtk_toolbar_set_style(GTK_TOOLBAR(toolbar), GTK_TOOLBAR_ICONS);
  for (const ui::ToolButton& button : buttons) {
    GtkToolItem* item = nullptr;
    if (button.kind == ui::ToolKind::Separator) {
      item = gtk_separator_tool_item_new();
    } else {
      GdkPixbuf* picture = DrawToolbarIcon(button.image);
      GtkWidget* icon = gtk_image_new_from_pixbuf(picture);
      g_object_unref(picture);
      if (button.kind == ui::ToolKind::CheckButton) {
        item = gtk_toggle_tool_button_new();
        gtk_tool_button_set_icon_widget(GTK_TOOL_BUTTON(item), icon);
        gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(item), button.checked);
        server.toolChecks[button.id] = button.checked;
      } else {
        item = gtk_tool_button_new(icon, nullptr);
      }
      g_object_set_data(G_OBJECT(item), "ombrixdc-id", GINT_TO_POINTER(button.id));
      g_signal_connect(item, "clicked", G_CALLBACK(OnToolClicked), &server);
      gtk_widget_set_has_tooltip(GTK_WIDGET(item), TRUE);
      g_signal_connect(item, "query-tooltip", G_CALLBACK(OnQueryTooltip), &server);
      server.toolItems[button.id] = item;
    }
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar), item, -1);
  }
  return toolbar;
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  auto& server = *static_cast<WindowServer*>(data);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  // The client paints the whole client area, toolbar and status bar included (as on the
  // window system this replaces, where they lie over it); the drawing area shows the part
  // between them.
  GtkAllocation client{}, drawing{};
  gtk_widget_get_allocation(server.clientArea, &client);
  gtk_widget_get_allocation(server.drawing, &drawing);
  cairo_translate(cr, client.x - drawing.x, client.y - drawing.y);
  ui::CairoCanvas canvas(cr);
  server.paint.Replay(canvas);
  return FALSE;
}

gboolean OnMotion(GtkWidget*, GdkEvent*, gpointer data) {
  auto& server = *static_cast<WindowServer*>(data);
  const gint64 now = g_get_monotonic_time();
  if (now - server.lastMotionAt >= kMotionInterval) {
    server.lastMotionAt = now;
    SendToClient(server, ui::protocol::MouseMoved{});
  }
  return FALSE;
}

void OnClientAllocated(GtkWidget*, GdkRectangle* area, gpointer data) {
  auto& server = *static_cast<WindowServer*>(data);
  const ui::Size client{area->width, area->height};
  const bool restored = !gtk_window_is_maximized(GTK_WINDOW(server.window));
  if (client != server.lastClient || restored != server.lastRestored) {
    server.lastClient = client;
    server.lastRestored = restored;
    SendToClient(server, ui::protocol::Resized{client, restored});
  }
}

gboolean OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer data) {
  SendToClient(*static_cast<WindowServer*>(data), ui::protocol::CloseBox{});
  return TRUE;  // the client decides whether the window goes
}

void OnWindowDestroyed(GtkWidget*, gpointer data) {
  auto& server = *static_cast<WindowServer*>(data);
  server.windowGone = true;
  if (server.dialog != nullptr) {
    SendToClient(server, ui::protocol::DialogResult{std::nullopt});
    server.dialog = nullptr;
  }
  SendToClient(server, ui::protocol::Destroyed{});
  gtk_main_quit();
}

void ApplyStyle() {
  GtkCssProvider* css = gtk_css_provider_new();
  gtk_css_provider_load_from_data(css, kStyle, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);
}

}  // namespace

void RequestTooltip(WindowServer& server, int32_t id) {
  const gint64 now = g_get_monotonic_time();
  if (id != server.tooltipAsked || now - server.tooltipAskedAt > kTooltipAskAgain) {
    server.tooltipAsked = id;
    server.tooltipAskedAt = now;
    SendToClient(server, ui::protocol::TooltipRequest{id});
  }
}

void ResizeServerWindow(WindowServer& server, ui::Size outer) {
  gint menuHeight = 0;
  gtk_widget_get_preferred_height(server.menuBar, nullptr, &menuHeight);
  const gint width = outer.width - 2 * kFrameBorder;
  const gint height = outer.height - 2 * kFrameBorder - kCaptionHeight - kMenuHeight + menuHeight;
  gtk_window_resize(GTK_WINDOW(server.window), width > 1 ? width : 1, height > 1 ? height : 1);
}

void CreateServerWindow(WindowServer& server, const ui::WindowDescription& windowDescription) {
  if (server.window != nullptr) {
    return;  // one window per helper
  }
  ApplyStyle();
  server.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GdkPixbuf* icon = DrawWindowIcon();
  gtk_window_set_icon(GTK_WINDOW(server.window), icon);
  g_object_unref(icon);
  gtk_window_set_title(GTK_WINDOW(server.window),
                       ui::DrawableText(windowDescription.title).c_str());
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  server.menuBar = gtk_menu_bar_new();
  AddMenuItems(server, server.menuBar, windowDescription.menu);
  g_signal_connect(server.menuBar, "deactivate", G_CALLBACK(OnMenuClosed), &server);
  gtk_box_pack_start(GTK_BOX(column), server.menuBar, FALSE, FALSE, 0);

  // A toolbar laid over the drawing (an overlay) never shows its tooltips: the three parts
  // stand one above the other instead.
  server.clientArea = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  GtkWidget* toolbar = BuildToolbar(server, windowDescription.toolbar);
  gtk_box_pack_start(GTK_BOX(server.clientArea), toolbar, FALSE, FALSE, 0);
  server.drawing = gtk_drawing_area_new();
  gtk_widget_add_events(server.drawing, GDK_POINTER_MOTION_MASK);
  g_signal_connect(server.drawing, "draw", G_CALLBACK(OnDraw), &server);
  g_signal_connect(server.drawing, "motion-notify-event", G_CALLBACK(OnMotion), &server);
  gtk_box_pack_start(GTK_BOX(server.clientArea), server.drawing, TRUE, TRUE, 0);
  server.statusBar = gtk_label_new(ui::DrawableText(windowDescription.statusText).c_str());
  gtk_label_set_xalign(GTK_LABEL(server.statusBar), 0.0f);
  gtk_label_set_ellipsize(GTK_LABEL(server.statusBar), PANGO_ELLIPSIZE_END);
  gtk_style_context_add_class(gtk_widget_get_style_context(server.statusBar), "status-bar");
  gtk_box_pack_start(GTK_BOX(server.clientArea), server.statusBar, FALSE, FALSE, 0);
  g_signal_connect(server.clientArea, "size-allocate", G_CALLBACK(OnClientAllocated), &server);
  gtk_box_pack_start(GTK_BOX(column), server.clientArea, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(server.window), column);

  g_signal_connect(server.window, "delete-event", G_CALLBACK(OnDeleteEvent), &server);
  g_signal_connect(server.window, "destroy", G_CALLBACK(OnWindowDestroyed), &server);
  gtk_widget_show_all(column);
  gtk_window_move(GTK_WINDOW(server.window), windowDescription.frame.left,
                  windowDescription.frame.top);
  ResizeServerWindow(server,
                     ui::Size{windowDescription.frame.Width(), windowDescription.frame.Height()});
  gtk_widget_realize(server.window);
  if (windowDescription.visible) {
    gtk_widget_show(server.window);
  }
  GdkWindow* native = gtk_widget_get_window(server.window);
  const int64_t xid =
      GDK_IS_X11_WINDOW(native) ? static_cast<int64_t>(gdk_x11_window_get_xid(native)) : 0;
  SendToClient(server, ui::protocol::Created{xid});
}
