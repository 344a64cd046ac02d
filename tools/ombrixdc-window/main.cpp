// ombrixdc-window: shows the Radial Error View's window for a client process that drives it
// over the socket on descriptor 3 (platform/ui/window_protocol.h). GTK runs on this
// process's main thread only; the client's process never loads it.
#include <fcntl.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/socket.h>

#include <cerrno>
#include <string>

#include "tools/ombrixdc-window/window_server.h"

namespace {

gboolean OnSocket(gint, GIOCondition, gpointer data) {
  auto& server = *static_cast<WindowServer*>(data);
  char chunk[65536];
  while (true) {
    const ssize_t got = ::recv(server.socket, chunk, sizeof chunk, MSG_DONTWAIT);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0 && errno == EAGAIN) {
      break;
    }
    if (got <= 0) {
      gtk_main_quit();  // the client has gone: so has its window
      return G_SOURCE_REMOVE;
    }
    server.reader.Append(std::string_view(chunk, static_cast<size_t>(got)));
  }
  std::string payload;
  ui::protocol::FrameReader::Result result;
  while ((result = server.reader.Next(payload)) == ui::protocol::FrameReader::Result::Payload) {
    const std::optional<ui::protocol::Request> message = ui::protocol::DecodeRequest(payload);
    if (!message) {
      result = ui::protocol::FrameReader::Result::Damaged;
      break;
    }
    HandleRequest(server, *message);
  }
  if (result == ui::protocol::FrameReader::Result::Damaged) {
    g_printerr("ombrixdc-window: damaged message from the client\n");
    gtk_main_quit();
    return G_SOURCE_REMOVE;
  }
  return G_SOURCE_CONTINUE;
}

}  // namespace

void SendToClient(WindowServer& server, const ui::protocol::Event& message) {
  if (server.socket >= 0 && !ui::protocol::SendAll(server.socket, ui::protocol::Frame(message))) {
    server.socket = -1;
    gtk_main_quit();
  }
}

int main(int argc, char** argv) {
  ::signal(SIGPIPE, SIG_IGN);
  WindowServer server;
  server.socket = ui::protocol::kServerSocketFd;
  if (::fcntl(server.socket, F_SETFD, FD_CLOEXEC) != 0) {
    g_printerr("ombrixdc-window: no client socket on descriptor 3\n");
    return 2;
  }
  // The client's numbers and texts never depend on a locale; nor do ours.
  gtk_disable_setlocale();
  gdk_set_allowed_backends("x11");  // the window's id is an X11 window id
  // Without a session bus (a bare X server, CI) the file chooser's settings cannot be stored;
  // keep them in memory rather than warn on every change.
  if (g_getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
    g_setenv("GSETTINGS_BACKEND", "memory", FALSE);
  }
  if (!gtk_init_check(&argc, &argv)) {
    const char* display = g_getenv("DISPLAY");
    SendToClient(server, ui::protocol::Failed{std::string("cannot open the display ") +
                                              (display != nullptr ? display : "(DISPLAY unset)")});
    return 1;
  }
  g_unix_fd_add(server.socket, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR), OnSocket,
                &server);
  SendToClient(server, ui::protocol::Ready{});
  gtk_main();
  return 0;
}
