#include "src/component/viewer_link.h"

#include "src/component/circle_dc_component.h"
#include "src/services/controller_objects.h"

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

std::optional<ViewerSettings> ComponentViewerLink::Settings() const {
  return ReadViewerSettings(component_.IniFilepath.Get().value_or(""));
}

ComPtr<IVexa_error> ComponentViewerLink::NewErrorObject() const {
  ComPtr<IVexa_error> errorObject;
  if (FAILED(CreateControllerObject(CLSID_Vexa_error, &errorObject))) {
    return nullptr;
  }
  return errorObject;
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
  // The last run's own feature and results, from one read; before any run, the feature as the
  // client has set it and no data.
  const PublishedRunResults results = component_.Results();
  const MapFileHeader feature = results ? results->feature : component_.FeatureHeader();
  static_cast<ViewerFeature&>(run) = {.MeasuringUnit = feature.measuringUnit,
                                      .FeatureRadius = feature.radius,
                                      .ScanDirection = feature.scanDirection,
                                      .Centre = feature.centre,
                                      .Normal = feature.normal,
                                      .Xaxis = feature.xaxis,
                                      .SlowSpeed = feature.slowSpeed,
                                      .FastSpeed = feature.fastSpeed};
  run.Learning = results ? results->learning : component_.Learning.Get();
  if (results) {
    run.SlowCentre = results->slowCentre;
    run.FastCentre = results->fastCentre;
    run.DataSets = results->dataSets;
  }
  return run;
}

void ComponentViewerLink::SetGraphicsOpen(bool open) {
  component_.GraphicsOpen.Set(open ? 1 : 0);
}

void ComponentViewerLink::SetWindowHandle(int32_t handle) {
  component_.WindowHandle.Set(handle);
}

void ComponentViewerLink::FireOnGraphicsClosed() {
  component_.FireGraphicsClosedAndEndIfReleased();  // may end the component and this link
}

}  // namespace ombrixdc
