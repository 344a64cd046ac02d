// The circle scan object: checks a scan request and hands it to the machine, which delivers
// its points on the following Updates.
#include <atomic>

#include "platform/com/object.h"
#include "platform/vexa/simulated_link.h"
#include "platform/vexa/simulated_machine_state.h"
#include "platform/vexa/simulated_objects.h"

namespace vexa_sim {
namespace {

class SimulatedCircleScan final : public ComObject<IVexa_circle_scan> {
 public:
  HRESULT StartCircleScan(IVexa_link* link, LONG mode, BYTE boreOrBoss, BYTE scanDirection,
                          LONG pointMode, LONG reserved, double pathDiameter, double centreX,
                          double centreY, double centreZ, double axisX, double axisY, double axisZ,
                          double startAngle, double overtravel, double reserved1, double reserved2,
                          double tipDiameter, double deflection, double speed, double bufferPitch,
                          double reserved3, double reserved4, double reserved5,
                          LONG* success) override {
    if (!success) {
      return E_POINTER;
    }
    *success = 0;
    const auto machine = MachineOfLink(link);
    if (!machine) {
      lastError_ = kErrorNoMachine;
      return S_OK;
    }
    if (const std::optional<LONG> refusal = machine->Internal().ScanRefusal()) {
      lastError_ = *refusal;
      return S_OK;
    }
    CircleScanRequest request;
    request.mode = mode;
    request.boreOrBoss = boreOrBoss;
    request.scanDirection = scanDirection;
    request.pointMode = pointMode;
    request.reserved = reserved;
    request.pathDiameter = pathDiameter;
    request.centre = CMaPoint(centreX, centreY, centreZ);
    request.axis = CMaPoint(axisX, axisY, axisZ);
    request.startAngle = startAngle;
    request.overtravel = overtravel;
    request.reserved1 = reserved1;
    request.reserved2 = reserved2;
    request.tipDiameter = tipDiameter;
    request.deflection = deflection;
    request.speed = speed;
    request.bufferPitch = bufferPitch;
    request.reserved3 = reserved3;
    request.reserved4 = reserved4;
    request.reserved5 = reserved5;
    const LONG error = machine->Internal().StartScan(request);
    lastError_ = error;
    *success = error == 0 ? 1 : 0;
    return S_OK;
  }

  HRESULT GetLastError(LONG* error) override {
    if (!error) {
      return E_POINTER;
    }
    *error = lastError_;
    return S_OK;
  }

 private:
  std::atomic<LONG> lastError_{0};
};

}  // namespace

IUnknown* NewCircleScan() {
  return NewObjectAs<SimulatedCircleScan, IVexa_circle_scan>();
}

}  // namespace vexa_sim
