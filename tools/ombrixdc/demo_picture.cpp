#include "tools/ombrixdc/demo_picture.h"

#include <cstdio>

#include "src/component/circle_dc_component.h"
#include "src/component/viewer_link.h"
#include "src/viewer/data_loading.h"
#include "src/viewer/render_view.h"
#include "src/viewer/ring_scale.h"
#include "src/viewer/viewer_logo.h"
#include "src/viewer/viewer_text.h"

using namespace ombrixdc;

bool WriteRadialErrorPicture(CircleDCComponent& component, const std::filesystem::path& file) {
  // The picture the viewer would show after this run; the demonstration is about the
  // reference, so it is always drawn.
  const ComponentViewerLink run(component);
  PaintInput input;
  input.data = RunViewerDataSets(run.RunData());
  input.RingIndex = ChooseRingIndex(input.data).RingIndex;
  input.ShowReference = 1;
  input.logo = LoadViewerLogo();
  input.text = BuiltInTextLookup(TextVariantFromEnvironment());

  const RenderResult result = RenderViewToFile(file, kDefaultClientSize, input);
  if (!result.ok) {
    std::fprintf(stderr, "ombrixdc: radial error picture not written: %s\n", result.error.c_str());
    return false;
  }
  std::printf("\nRadial error view written to %s\n", file.c_str());
  return true;
}
