#pragma once
// The component as the Radial Error View sees it: the fields the viewer reads (window
// geometry, language, settings, the run's data sets) and the few it writes (the window
// handle, GraphicsOpen, GraphicsFilename) plus the one event it fires. The component
// implements it and hands it across the view module's entry table (view_module.h); the
// viewer never includes the component itself.
//
// Every method may be called from any thread: the component's fields are shared values.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/com/com_ptr.h"
#include "platform/trivell/geometry.h"
#include "platform/ui/canvas.h"
#include "platform/vexa/interfaces.h"
#include "src/engine/profile.h"
#include "src/services/settings_read.h"
#include "src/viewer/viewer_data.h"

namespace ombrixdc {

// The six data sets of a run, in EDataType order.
inline constexpr std::size_t kViewerDataSetCount = 6;

// What a finished run gives the viewer, read in one go: its feature, centres and the six data
// sets (EDataType order: slow, fast, corrected, then the three normalised ones).
struct ClientRunData : ViewerFeature {
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
  // The viewer's two settings from the component's settings store; nothing when the store
  // cannot be created.
  virtual std::optional<ViewerSettings> Settings() const = 0;
  // A new error object of the component's controller (translated texts), or null. The
  // component creates controller objects, so the viewer sees the classes its process knows.
  virtual ComPtr<IVexa_error> NewErrorObject() const = 0;
  virtual std::optional<std::string> WorkingFolder() const = 0;
  virtual std::optional<std::string> GraphicsFilename() const = 0;
  virtual bool GraphicsOpen() const = 0;
  virtual ClientRunData RunData() const = 0;

  // ---- write ----
  virtual void SetGraphicsOpen(bool open) = 0;
  virtual void SetWindowHandle(int32_t handle) = 0;
  // Fires OnGraphicsClosed to every connected client of the component. A component whose
  // owner let go during the delivery is destroyed before this returns: touch it no more.
  virtual void FireOnGraphicsClosed() = 0;
};

}  // namespace ombrixdc
