#pragma once
// The component as its Radial Error View sees it: its window geometry, language, settings
// file, the run's data sets, and the OnGraphicsClosed event.
#include "src/viewer/viewer_client.h"

namespace ombrixdc {

class CircleDCComponent;

class ComponentViewerLink final : public ombrixdc::ViewerClient {
 public:
  explicit ComponentViewerLink(CircleDCComponent& component) : component_(component) {}

  ui::Rect WindowRect() const override;
  bool WindowRectChanged() const override;
  bool WindowVisible() const override;
  std::optional<std::string> Language() const override;
  std::optional<ViewerSettings> Settings() const override;
  ComPtr<IVexa_error> NewErrorObject() const override;
  std::optional<std::string> WorkingFolder() const override;
  std::optional<std::string> GraphicsFilename() const override;
  bool GraphicsOpen() const override;
  ombrixdc::ClientRunData RunData() const override;

  void SetGraphicsOpen(bool open) override;
  void SetWindowHandle(int32_t handle) override;
  void FireOnGraphicsClosed() override;

 private:
  CircleDCComponent& component_;
};

}  // namespace ombrixdc
