#include "src/component/viewer_link.h"

#include "src/component/circle_dc_component.h"

namespace ombrixdc {

ui::Rect ComponentViewerLink::WindowRect() const {
  const WindowRectangle r = component_.WindowRect.Get();
  return {r.left, r.top, r.right, r.bottom};
}

bool ComponentViewerLink::WindowRectChanged() const {
  return component_.WindowRectChanged.Get() != 0;
}

bool ComponentViewerLink::WindowVisible() const {
  return component_.WindowVisible.Get() != 0;
}

std::optional<std::string> ComponentViewerLink::Language() const {
  return component_.Language.Get();
}

std::optional<std::string> ComponentViewerLink::IniFilepath() const {
  return component_.IniFilepath.Get();
}

std::optional<std::string> ComponentViewerLink::WorkingFolder() const {
  return component_.WorkingFolder.Get();
}

std::optional<std::string> ComponentViewerLink::GraphicsFilename() const {
  return component_.GraphicsFilename.Get();
}

bool ComponentViewerLink::GraphicsOpen() const {
  return component_.GraphicsOpen.Get() != 0;
}

ombrixdc::ClientRunData ComponentViewerLink::RunData() const {
  ombrixdc::ClientRunData run;
  run.MeasuringUnit = component_.MeasuringUnit.Get();
  run.FeatureRadius = component_.FeatureRadius.Get();
  run.ScanDirection = component_.ScanDirection.Get();
  run.Centre = component_.Centre.Get();
  run.Normal = component_.Normal.Get();
  run.Xaxis = component_.Xaxis.Get();
  run.SlowSpeed = component_.SlowSpeed.Get();
  run.FastSpeed = component_.FastSpeed.Get();
  run.Learning = component_.Learning.Get();
  run.SlowCentre = component_.SlowCentre.Get();
  run.FastCentre = component_.FastCentre.Get();
  return run;
}

DataSet ComponentViewerLink::DataSetOf(int32_t index) const {
  if (index < 0 || index >= kDataTypeCount) {
    return {};
  }
  return component_.DataSets[index].Get();
}

void ComponentViewerLink::SetGraphicsOpen(bool open) {
  component_.GraphicsOpen.Set(open ? 1 : 0);
}

void ComponentViewerLink::SetWindowHandle(int32_t handle) {
  component_.WindowHandle.Set(handle);
}

void ComponentViewerLink::FireOnGraphicsClosed() {
  component_.Sinks.FireOnGraphicsClosed();
}

}  // namespace ombrixdc
