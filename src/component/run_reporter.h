#pragma once
// How a run's procedure reports to its component: stages become Status and events, results
// become the component's data sets, centres and fast speed, and the map the process's map.
#include "src/component/circle_dc_component.h"
#include "src/component/process_state.h"
#include "src/procedures/run_context.h"

namespace ombrixdc {

class ComponentRunReporter final : public RunReporter {
 public:
  explicit ComponentRunReporter(CircleDCComponent& component) : c_(component) {}

  void ChangeStatus(ECircleStatus status) override { c_.ChangeStatus(status); }
  bool AbortRequested() const override { return c_.AbortRequested.load() != 0; }
  void PublishDataSet(EDataType type, const DataSet& data) override { c_.DataSets[type].Set(data); }
  void PublishCentre(ScanKind scan, const CMaPoint& centre) override {
    (scan == ScanKind::Slow ? c_.SlowCentre : c_.FastCentre).Set(centre);
  }
  void PublishMapSlots(const MapSlots& slots) override { ProcessMapState().SetSlots(slots); }
  void PublishFastSpeed(double speed) override { c_.FastSpeed.Set(speed); }

 private:
  CircleDCComponent& c_;
};

}  // namespace ombrixdc
