#pragma once
// A simulated machine with a link and an axis position and status object, created the way a
// client creates them, and a client-style scan polling loop.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/com/class_registry.h"
#include "platform/com/object.h"
#include "platform/trivell/geometry.h"
#include "platform/vexa/simulated_machine.h"

namespace vexa_sim_test {

using namespace vexa_sim;

template <class I>
ComPtr<I> Create(REFCLSID clsid) {
  vexa_sim::RegisterSimulatedController();
  ComPtr<I> object;
  EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_ALL, InterfaceId<I>::value,
                                   object.ReleaseAndGetVoidAddressOf()));
  return object;
}

struct Rig {
  explicit Rig(vexa_sim::MachineConfig config = {})
      : machine(std::make_shared<vexa_sim::SimulatedMachine>(config)),
        link(vexa_sim::MakeSimulatedLink(machine)),
        ps(Create<IVexa_axis_position_and_status>(CLSID_Vexa_axis_position_and_status)) {
    LONG success = 0;
    ps->InitialiseObject(link.Get(), &success);
    EXPECT_EQ(1, success);
  }
  std::shared_ptr<vexa_sim::SimulatedMachine> machine;
  ComPtr<IVexa_link> link;
  ComPtr<IVexa_axis_position_and_status> ps;
};

struct ScanPoint {
  CMaPoint tip, deflection;
};

// The arguments of a circle scan that a test varies; the rest are the fixed values a measuring
// client passes.
struct ScanArgs {
  BYTE boreOrBoss = 0;
  BYTE direction = 0;
  double diameter = 18.0;  // path diameter: a bore of radius 10 with the 2.0 tip below
  CMaPoint centre{0.0, 0.0, 0.0};
  CMaPoint axis{0.0, 0.0, 1.0};
  double startAngle = 90.0;
  double overtravel = 90.0;
  double tipDiameter = 2.0;
  double deflection = 0.3;
  double speed = 20.0;
  double pitch = 0.1;
};

// The success value StartCircleScan gives; *error (when given) the scan object's last error.
inline LONG StartScan(Rig& rig, const ScanArgs& a, LONG* error = nullptr) {
  auto scan = Create<IVexa_circle_scan>(CLSID_Vexa_circle_scan);
  LONG success = -1;
  scan->StartCircleScan(rig.link.Get(), 1, a.boreOrBoss, a.direction, 1, 0, a.diameter,
                        a.centre.x(), a.centre.y(), a.centre.z(), a.axis.x(), a.axis.y(),
                        a.axis.z(), a.startAngle, a.overtravel, 0.0, 0.0, a.tipDiameter,
                        a.deflection, a.speed, a.pitch, 0.0, 0.1, 1.0, &success);
  if (error) {
    scan->GetLastError(error);
  }
  return success;
}

// The points of a scan that must start, polled as a measuring client does until the action
// completes (bounded, so a scan that never ends fails the test instead of hanging it).
inline std::vector<ScanPoint> Scan(Rig& rig, const ScanArgs& args) {
  EXPECT_EQ(1, StartScan(rig, args));
  IVexa_axis_position_and_status* ps = rig.ps.Get();
  std::vector<ScanPoint> points;
  for (int pass = 0; pass < 100000; ++pass) {
    ps->Update();
    ScanPoint p;
    LONG success = 0, flag = 0, done = 0;
    ps->getTip(&p.tip.x(), &p.tip.y(), &p.tip.z(), &success);
    ps->probedPointData(&flag);
    if (success == 1 && flag == 1) {
      ps->getProbeDeflection(&p.deflection.x(), &p.deflection.y(), &p.deflection.z(), &success);
      points.push_back(p);
    }
    ps->actionCompleted(&done);
    if (done == 1) {
      return points;
    }
  }
  ADD_FAILURE() << "scan did not complete";
  return points;
}

}  // namespace vexa_sim_test
