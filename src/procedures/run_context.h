#pragma once
// What a measuring procedure is given: the run's parameters, copied when the run's worker
// starts, the controller objects it drives, and where it reports what it does.
//
// Threading rule: the client's thread writes a component's fields (InitialiseObject replaces
// the controller objects, properties change at any time); a run never reads them. The worker
// works on this copy, taken on the client's thread before the worker starts, and hands its
// results back through the RunReporter only.
#include <cstdint>
#include <filesystem>

#include "include/CoVexa_OmbrixDC.h"
#include "platform/com/com_ptr.h"
#include "platform/trivell/geometry.h"
#include "platform/vexa/interfaces.h"
#include "src/engine/map_slots.h"
#include "src/engine/profile.h"
#include "src/engine/scan_kind.h"
#include "src/files/map_file.h"
#include "src/procedures/run_limits.h"

namespace ombrixdc {

// The controller objects of one run: the client's link and axis position and status object,
// and the four the component created for it.
struct ControllerObjects {
  ComPtr<IVexa_link> link;
  ComPtr<IVexa_axis_position_and_status> axisStatus;
  ComPtr<IVexa_stop> stop;
  ComPtr<IVexa_circle_scan> circleScan;
  ComPtr<IVexa_move_target> moveTarget;
  ComPtr<IVexa_move> move;
};

struct RunContext {
  // The feature and settings as a map file records them. `feature.fastSpeed` is the speed of
  // the fast scan and of every move; a calibrating mode fixes it when the fast scan starts.
  MapFileHeader feature;
  CMaPoint startPosition;
  // The run directory; empty (the current directory) when none was formed.
  std::filesystem::path runFolder;
  bool offlineTesting = false;   // replay raw scan files instead of scanning
  bool saveRawData = false;      // write raw scan files after each scan
  int32_t scanSettlingTime = 0;  // milliseconds between the return to the start and the fast scan
  int32_t overwrite = E_OMBRIX_DC_CIRCLE_OVERWRITE_EXISTING_MAP;
  int32_t learning = E_OMBRIX_DC_CIRCLE_NO_LEARNING;  // which procedure the worker chooses
  int32_t mapAgeLimitHours = -1;  // TimeOut: older map pairs are deleted; none when not positive
  // The stored map pair the worker's search found for a compensated run; 0 when none.
  int32_t mapNumber = 0;
  MatchTolerances tolerances;
  double mapGridStartAngle = 0.0;
  RunTimeLimits limits;
  ControllerObjects controller;
};

// What a procedure tells the component as it goes. Called on the worker's thread.
class RunReporter {
 public:
  virtual ~RunReporter() = default;
  // A new stage: Status 2, 3 or 4 and OnStatusChange.
  virtual void ChangeStatus(ECircleStatus status) = 0;
  // Polled at fixed checkpoints and once per scan polling pass.
  virtual bool AbortRequested() const = 0;
  // A data set computed or read back, for GetData, SaveData and the viewer.
  virtual void PublishDataSet(EDataType type, const DataSet& data) = 0;
  // The fitted centre of a scan, added back when a data set is turned into points.
  virtual void PublishCentre(ScanKind scan, const CMaPoint& centre) = 0;
  // The fast scan's speed once a calibrating mode has fixed it.
  virtual void PublishFastSpeed(double speed) = 0;
  // The number of the map pair a learning run has stored.
  virtual void PublishMapWritten(int32_t mapNumber) = 0;
};

}  // namespace ombrixdc
