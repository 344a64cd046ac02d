// How a viewer thread gets its window.
#include <cstdio>
#include <mutex>

#include "platform/ui/headless_host.h"
#include "src/viewer/viewer_thread.h"

namespace ombrixdc {

std::unique_ptr<ui::WindowHost> DefaultViewerHost(std::string* whyNot) {
  const std::string reason = "the window server is not built yet";
  if (whyNot)
    *whyNot = reason;
  // The measuring application keeps working without the window; the user is told once why
  // no window appears.
  static std::once_flag told;
  std::call_once(told, [&reason] {
    std::fprintf(stderr, "ombrixdc: the Radial Error View runs without a window: %s\n",
                 reason.c_str());
  });
  return std::make_unique<ui::HeadlessHost>();
}

}  // namespace ombrixdc
