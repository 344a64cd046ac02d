#pragma once
// How a run's procedure reports to its component: stages become Status and events; data sets,
// centres, the fast speed and the map pair written go into the run's own results (published
// when the run ends).
#include "src/component/circle_dc_component.h"
#include "src/procedures/run_context.h"

namespace ombrixdc {

class ComponentRunReporter final : public RunReporter {
 public:
  ComponentRunReporter(CircleDCComponent& component, RunResults& results)
      : c_(component), results_(results) {}

  void ChangeStatus(ECircleStatus status) override { c_.ChangeStatus(status); }
  bool AbortRequested() const override { return c_.AbortRequested.load() != 0; }
  void PublishDataSet(EDataType type, const DataSet& data) override {
    results_.dataSets[type] = data;
  }
  void PublishCentre(ScanKind scan, const CMaPoint& centre) override {
    (scan == ScanKind::Slow ? results_.slowCentre : results_.fastCentre) = centre;
  }
  void PublishFastSpeed(double speed) override {
    c_.FastSpeed.Set(speed);
    results_.feature.fastSpeed = speed;
  }
  void PublishMapWritten(int32_t mapNumber) override {
    results_.mapNumber = mapNumber;
    results_.mapUse = MapUse::Written;
  }

 private:
  CircleDCComponent& c_;
  RunResults& results_;
};

}  // namespace ombrixdc
