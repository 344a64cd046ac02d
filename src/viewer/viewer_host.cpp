// How a viewer thread gets its window.
#include <cstdio>
#include <mutex>

#include "platform/ui/window_server_host.h"
#include "src/viewer/viewer_thread.h"

namespace ombrixdc {

std::unique_ptr<ui::WindowHost> DefaultViewerHost(std::string* whyNot) {
  std::string reason;
  if (std::unique_ptr<ui::WindowHost> server = ui::StartWindowServer(&reason)) {
    return server;
  }
  if (whyNot) {
    *whyNot = reason;
  }
  // Without a display there is no window: ShowGraphics fails and the client waits for none.
  // The component keeps working; the user is told once why no window appears.
  static std::once_flag told;
  std::call_once(told, [&reason] {
    std::fprintf(stderr, "ombrixdc: the Radial Error View has no window: %s\n", reason.c_str());
  });
  return nullptr;
}

}  // namespace ombrixdc
