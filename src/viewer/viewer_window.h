#pragma once
// The viewer window's behaviour: what it does with each thing the window reports. Runs on the
// viewer thread, inside the host's DispatchNext.
#include <functional>
#include <memory>

#include "platform/ui/window_host.h"
#include "src/viewer/viewer_data.h"

namespace ombrixdc {

struct ViewerState;

// One paint's view of the viewer: the loaded data sets (the shown component's own radii and
// angles, read now, when one is shown), the switches and the repeatability. Logo and texts
// are the window's and are left empty.
PaintInput TakePaintSnapshot(ViewerState& state);

class ViewerWindow final : public ui::WindowListener {
 public:
  // `onDestroyed` runs once, when the window is gone (closed by anyone, or its server died).
  ViewerWindow(ViewerState& state, ui::WindowHost& host, TextLookup text, ui::Image logo,
               std::function<void()> onDestroyed);

  void OnPaint(ui::Canvas& canvas, ui::Rect client) override;
  void OnCommand(int32_t id) override;
  void OnCloseBox() override;
  void OnResize(ui::Size client, bool restored) override;
  void OnMouseMove() override;
  void OnMenuSelect(int32_t id) override;
  std::string OnTooltip(int32_t id) override;
  void OnDestroyed() override;

 private:
  void ShowStatus(int32_t textId);

  ViewerState& state_;
  ui::WindowHost& host_;
  TextLookup text_;
  ui::Image logo_;
  std::function<void()> onDestroyed_;
  bool destroyed_ = false;
};

}  // namespace ombrixdc
