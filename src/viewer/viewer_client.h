#pragma once
// The component as the Radial Error View sees it: the fields the viewer reads (window
// geometry, language, settings file, the run's data sets) and the few it writes (the
// window handle, GraphicsOpen, GraphicsFilename) plus the one event it fires. The
// component implements it; the viewer never includes the component itself, so the
// component's library can link the viewer's.
//
// Every method may be called from any thread: the component's fields are shared values.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/trivell/geometry.h"
#include "platform/ui/canvas.h"
#include "src/engine/profile.h"

namespace ombrixdc {

// The six data sets of a run, in EDataType order.
inline constexpr std::size_t kViewerDataSetCount = 6;

// What a finished run gives the viewer, read in one go: its feature, centres and the six data
// sets (EDataType order: slow, fast, corrected, then the three normalised ones).
struct ClientRunData {
  int32_t MeasuringUnit = 0;
  double FeatureRadius = 0.0;
  int32_t ScanDirection = 0;
  CMaPoint Centre;
  CMaPoint Normal;
  CMaPoint Xaxis;
  double SlowSpeed = 0.0;
  double FastSpeed = 0.0;
  int32_t Learning = 0;
  CMaPoint SlowCentre;
  CMaPoint FastCentre;
  std::array<DataSet, kViewerDataSetCount> DataSets;
};

class ViewerClient {
 public:
  virtual ~ViewerClient() = default;

  // ---- read ----
  virtual ui::Rect WindowRect() const = 0;  // outer frame on the screen
  virtual bool WindowRectChanged() const = 0;
  virtual bool WindowVisible() const = 0;
  virtual std::optional<std::string> Language() const = 0;
  virtual std::optional<std::string> IniFilepath() const = 0;
  virtual std::optional<std::string> WorkingFolder() const = 0;
  virtual std::optional<std::string> GraphicsFilename() const = 0;
  virtual bool GraphicsOpen() const = 0;
  virtual ClientRunData RunData() const = 0;

  // ---- write ----
  virtual void SetGraphicsOpen(bool open) = 0;
  virtual void SetWindowHandle(int32_t handle) = 0;
  // Fires OnGraphicsClosed to every connected client of the component.
  virtual void FireOnGraphicsClosed() = 0;
};

}  // namespace ombrixdc
