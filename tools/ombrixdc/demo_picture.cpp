#include "tools/ombrixdc/demo_picture.h"

#include <cstdio>

#include "src/component/circle_dc_component.h"
#include "src/component/view_module_loader.h"
#include "src/component/viewer_link.h"

using namespace ombrixdc;

bool WriteRadialErrorPicture(CircleDCComponent& component, const std::filesystem::path& file) {
  // The picture the viewer would show after this run; the demonstration is about the
  // reference, so it is always drawn.
  RenderResult result;
  if (const ViewModule* view = LoadViewModule(&result.error)) {
    result = view->renderRunView(file, ComponentViewerLink(component).RunData());
  }
  if (!result.ok) {
    std::fprintf(stderr, "ombrixdc: radial error picture not written: %s\n", result.error.c_str());
    return false;
  }
  std::printf("\nRadial error view written to %s\n", file.c_str());
  return true;
}
