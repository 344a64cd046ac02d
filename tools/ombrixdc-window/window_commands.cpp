// The client's requests, acted on in the window.
#include <sstream>

#include "platform/ui/text_metrics.h"
#include "tools/ombrixdc-window/window_server.h"

namespace {

namespace protocol = ui::protocol;

// "*.*" means every file on the window system this replaces; here that is "*".
void AddPatterns(GtkFileFilter* filter, const std::string& patterns) {
  std::stringstream list(patterns);
  std::string pattern;
  while (std::getline(list, pattern, ';')) {
    gtk_file_filter_add_pattern(filter, pattern == "*.*" ? "*" : pattern.c_str());
  }
}

void OnDialogResponse(GtkDialog* dialog, gint response, gpointer data) {
  auto& server = *static_cast<WindowServer*>(data);
  std::optional<std::string> path;
  if (response == GTK_RESPONSE_ACCEPT) {
    gchar* chosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
    if (chosen != nullptr && g_file_test(chosen, G_FILE_TEST_IS_REGULAR)) {
      path = chosen;  // the file must exist
    }
    g_free(chosen);
  }
  server.dialog = nullptr;
  gtk_widget_destroy(GTK_WIDGET(dialog));
  SendToClient(server, protocol::DialogResult{path});
}

void OpenDialog(WindowServer& server, const ui::OpenFileRequest& request) {
  if (server.dialog != nullptr || server.window == nullptr || server.windowGone ||
      server.dialogsEnded) {
    SendToClient(server, protocol::DialogResult{std::nullopt});
    return;
  }
  server.dialog = gtk_file_chooser_dialog_new(
      nullptr, GTK_WINDOW(server.window), GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
      GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(server.dialog);
  gtk_window_set_modal(GTK_WINDOW(server.dialog), TRUE);
  gtk_window_set_destroy_with_parent(GTK_WINDOW(server.dialog), TRUE);
  for (size_t i = 0; i < request.filters.size(); ++i) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, ui::DrawableText(request.filters[i].name).c_str());
    AddPatterns(filter, request.filters[i].pattern);
    gtk_file_chooser_add_filter(chooser, filter);  // the chooser takes the filter
    if (i == 0) {
      gtk_file_chooser_set_filter(chooser, filter);
    }
  }
  if (!request.startDirectory.empty()) {
    gtk_file_chooser_set_current_folder(chooser, request.startDirectory.c_str());
  }
  g_signal_connect(server.dialog, "response", G_CALLBACK(OnDialogResponse), &server);
  gtk_widget_show(server.dialog);
}

void SetCheck(WindowServer& server, int32_t id, bool checked, bool toolbar) {
  server.applying = true;
  if (toolbar) {
    if (const auto item = server.toolItems.find(id);
        item != server.toolItems.end() && GTK_IS_TOGGLE_TOOL_BUTTON(item->second)) {
      server.toolChecks[id] = checked;
      gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(item->second), checked);
    }
  } else if (const auto item = server.menuItems.find(id);
             item != server.menuItems.end() && GTK_IS_CHECK_MENU_ITEM(item->second)) {
    server.menuChecks[id] = checked;
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item->second), checked);
  }
  server.applying = false;
}

void ActAsUser(WindowServer& server, const protocol::TestInput& input) {
  switch (input.action) {
    case protocol::TestAction::ActivateMenuItem:
      if (const auto item = server.menuItems.find(input.id); item != server.menuItems.end()) {
        gtk_menu_item_activate(GTK_MENU_ITEM(item->second));
      }
      break;
    case protocol::TestAction::ClickToolButton:
      if (const auto item = server.toolItems.find(input.id); item != server.toolItems.end()) {
        gtk_button_clicked(GTK_BUTTON(gtk_bin_get_child(GTK_BIN(item->second))));
      }
      break;
    case protocol::TestAction::PressCloseBox:
      gtk_window_close(GTK_WINDOW(server.window));  // the same request a close box makes
      break;
    case protocol::TestAction::AnswerDialog:
      if (server.dialog != nullptr) {
        gtk_dialog_response(GTK_DIALOG(server.dialog),
                            input.id == 0 ? GTK_RESPONSE_CANCEL : GTK_RESPONSE_ACCEPT);
      }
      break;
    case protocol::TestAction::HoverToolButton:
      server.tooltipAsked = 0;
      RequestTooltip(server, input.id);
      break;
  }
}

struct Handler {
  WindowServer& server;
  GtkWindow* Window() const { return GTK_WINDOW(server.window); }

  void operator()(const protocol::CreateWindow& m) {
    CreateServerWindow(server, m.windowDescription);
  }
  void operator()(const protocol::MoveWindow& m) {
    gtk_window_move(Window(), m.frame.left, m.frame.top);
    ResizeServerWindow(server, ui::Size{m.frame.Width(), m.frame.Height()});
  }
  void operator()(const protocol::ShowWindow& m) {
    m.visible ? gtk_widget_show(server.window) : gtk_widget_hide(server.window);
  }
  void operator()(const protocol::MaximiseWindow&) {
    gtk_window_maximize(Window());
    gtk_widget_show(server.window);
  }
  void operator()(const protocol::RaiseWindow&) {
    // Bringing to the front never shows a hidden window: ShowWindow alone decides that.
    if (gtk_widget_get_visible(server.window)) {
      gtk_window_present(Window());
    }
  }
  void operator()(const protocol::SetTitle& m) {
    gtk_window_set_title(Window(), ui::DrawableText(m.title).c_str());
  }
  void operator()(const protocol::SetMenuCheck& m) { SetCheck(server, m.id, m.checked, false); }
  void operator()(const protocol::SetToolbarCheck& m) { SetCheck(server, m.id, m.checked, true); }
  void operator()(const protocol::SetStatusText& m) {
    gtk_label_set_text(GTK_LABEL(server.statusBar), ui::DrawableText(m.text).c_str());
  }
  void operator()(const protocol::ResizeWindow& m) {
    gtk_window_unmaximize(Window());
    ResizeServerWindow(server, m.outer);
  }
  void operator()(const protocol::PaintWindow& m) {
    if (std::optional<ui::DisplayList> list = ui::DisplayList::Deserialise(m.displayList)) {
      server.paint = std::move(*list);
      gtk_widget_queue_draw(server.drawing);
    }
  }
  void operator()(const protocol::OpenDialog& m) { OpenDialog(server, m.request); }
  void operator()(const protocol::TooltipAnswer& m) {
    server.tooltips[m.id] = m.text;
    if (const auto item = server.toolItems.find(m.id);
        item != server.toolItems.end() && server.tooltipAsked == m.id) {
      gtk_widget_trigger_tooltip_query(GTK_WIDGET(item->second));
    }
  }
  void operator()(const protocol::DestroyWindow&) { gtk_widget_destroy(server.window); }
  void operator()(const protocol::TestInput& m) { ActAsUser(server, m); }
  void operator()(const protocol::EndDialogs&) {
    server.dialogsEnded = true;
    if (server.dialog != nullptr) {
      gtk_dialog_response(GTK_DIALOG(server.dialog), GTK_RESPONSE_CANCEL);
    }
  }
};

}  // namespace

void HandleRequest(WindowServer& server, const protocol::Request& message) {
  const bool needsWindow = !std::holds_alternative<protocol::CreateWindow>(message);
  if (needsWindow && (server.window == nullptr || server.windowGone)) {
    if (std::holds_alternative<protocol::OpenDialog>(message)) {
      SendToClient(server, protocol::DialogResult{std::nullopt});
    }
    return;  // nothing to act on
  }
  std::visit(Handler{server}, message);
}
