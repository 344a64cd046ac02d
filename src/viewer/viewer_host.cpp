// How a viewer thread gets its window.
#include <cstdio>
#include <mutex>

#include "platform/ui/headless_host.h"
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
  // Without a display the component keeps working and the viewer keeps its state; the user
  // is told once why no window appears.
  static std::once_flag told;
  std::call_once(told, [&reason] {
    std::fprintf(stderr, "ombrixdc: the Radial Error View has no window: %s\n", reason.c_str());
  });
  return std::make_unique<ui::HeadlessHost>();
}

}  // namespace ombrixdc
