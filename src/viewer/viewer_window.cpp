#include "src/viewer/viewer_window.h"

#include <mutex>
#include <utility>

#include "src/viewer/data_loading.h"
#include "src/viewer/paint.h"
#include "src/viewer/viewer_commands.h"
#include "src/viewer/viewer_state.h"

namespace ombrixdc {

PaintInput TakePaintSnapshot(ViewerState& state) {
  PaintInput input;
  {
    std::lock_guard lock(state.dataMutex);
    input.data = state.Data;
    // The component cannot go away meanwhile: its destruction clears ShownComponent under
    // this lock first.
    if (ViewerClient* shown = state.ShownComponent) {
      ClientRunData run = shown->RunData();  // one read: every set from the same run
      for (size_t k = 0; k < input.data.sets.size(); ++k) {
        input.data.sets[k].radii = std::move(run.DataSets[k].radii.Values());
        input.data.sets[k].angles = std::move(run.DataSets[k].angles.Values());
      }
    }
  }
  input.MetrologyView = state.MetrologyView;
  input.ShowGrid = state.ShowGrid;
  input.ShowReference = state.ShowReference;
  input.ShowFast = state.ShowFast;
  input.ShowCorrected = state.ShowCorrected;
  input.RingIndex = state.RingIndex;
  input.SlowSpeedRepeatability = state.SlowSpeedRepeatability;
  return input;
}

ViewerWindow::ViewerWindow(ViewerState& state, ui::WindowHost& host, TextLookup text,
                           ui::Image logo, std::function<void()> onDestroyed)
    : state_(state),
      host_(host),
      text_(std::move(text)),
      logo_(std::move(logo)),
      onDestroyed_(std::move(onDestroyed)) {}

void ViewerWindow::OnPaint(ui::Canvas& canvas, ui::Rect client) {
  PaintInput input = TakePaintSnapshot(state_);
  input.logo = logo_;
  input.text = text_;
  PaintRadialErrorView(canvas, client, input);
}

void ViewerWindow::OnCommand(int32_t id) {
  switch (ApplyViewerCommand(id, state_, &host_)) {
    case CommandOutcome::Repaint:
      host_.Invalidate();
      break;
    case CommandOutcome::OpenFile:
      OpenDataSetsFileFromDialog(host_);
      break;
    case CommandOutcome::Exit:
      host_.Destroy();
      break;
    case CommandOutcome::None:
      break;
  }
}

void ViewerWindow::OnCloseBox() {
  host_.Destroy();
}

void ViewerWindow::OnResize(ui::Size client, bool restored) {
  if (const std::optional<ui::Size> outer = SpringBackSize(client, restored)) {
    host_.Resize(*outer);
    return;
  }
  host_.Invalidate();
}

void ViewerWindow::OnMouseMove() {
  ShowStatus(kTextReady);
}

void ViewerWindow::OnMenuSelect(int32_t id) {
  ShowStatus(MenuSelectTextId(id));
}

std::string ViewerWindow::OnTooltip(int32_t id) {
  ShowStatus(id);
  return CutText(text_(TooltipTextId(id)), kMaxTooltipLength);
}

void ViewerWindow::OnDestroyed() {
  if (std::exchange(destroyed_, true)) {
    return;
  }
  if (onDestroyed_) {
    onDestroyed_();
  }
}

void ViewerWindow::ShowStatus(int32_t textId) {
  host_.SetStatusText(CutText(text_(textId), kMaxStatusLength));
}

}  // namespace ombrixdc
