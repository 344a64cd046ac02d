// The graphics calls: opening, updating and closing the Radial Error View for this component.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <mutex>

#include "src/component/circle_dc_component.h"
#include "src/component/view_module_loader.h"
#include "src/component/viewer_link.h"

namespace ombrixdc {

namespace {

// left + width without overflow: a client's wild numbers must not wrap round.
int32_t SaturatingAdd(int32_t a, int32_t b) {
  const int64_t sum = static_cast<int64_t>(a) + b;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

HRESULT CircleDCComponent::ShowGraphics(int32_t left, int32_t top, int32_t width, int32_t height,
                                        const OptionalText& fileName) {
  std::string whyNot;
  const ViewModule* view = LoadViewModule(&whyNot);
  if (!view) {
    // As without a display: no window, and the user is told once why.
    static std::once_flag told;
    std::call_once(told, [&whyNot] {
      std::fprintf(stderr, "ombrixdc: the Radial Error View has no window: %s\n", whyNot.c_str());
    });
    RecordError(Number(ErrorNumber::ViewModule), whyNot);
    return S_FALSE;
  }
  const WindowRectangle current = WindowRect.Get();
  std::optional<ui::Rect> requested;
  WindowRectChanged.Set(0);
  if (left != 0 || top != 0 || width != 0 || height != 0) {
    const WindowRectangle rect{left, top, SaturatingAdd(left, width), SaturatingAdd(top, height)};
    WindowRect.Set(rect);
    requested = ui::Rect{rect.left, rect.top, rect.right, rect.bottom};
  }
  if (view->adoptWindowRect({current.left, current.top, current.right, current.bottom},
                            requested)) {
    WindowRectChanged.Set(1);
  }
  GraphicsFilename.Set(fileName);
  return view->showViewer(*viewerLink_) ? S_OK : S_FALSE;
}

HRESULT CircleDCComponent::ShowGraphicsComplete() {
  const ViewModule* view = LoadedViewModule();
  return view && view->closeViewerFor(*viewerLink_) ? S_OK : S_FALSE;
}

HRESULT CircleDCComponent::GetGraphicsClosed(LONG* closed) {
  if (!closed) {
    return E_POINTER;
  }
  *closed = GraphicsOpen.Get() == 0 ? 1 : 0;
  return S_OK;
}

void CircleDCComponent::RefreshViewerAfterRun() {
  if (GraphicsOpen.Get() == 0) {
    return;
  }
  // The run's own data sets replace whatever file the window showed.
  GraphicsFilename.Set(std::nullopt);
  if (const ViewModule* view = LoadedViewModule()) {
    view->updateFromComponent(*viewerLink_);
  }
}

void CircleDCComponent::CloseViewerOnDestruction() {
  const ViewModule* view = LoadedViewModule();
  if (!view) {
    return;  // never shown: no viewer knows this component
  }
  if (GraphicsOpen.Get() != 0) {
    ShowGraphicsComplete();
  }
  view->forgetViewerClient(*viewerLink_);
}

}  // namespace ombrixdc
