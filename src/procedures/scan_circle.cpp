// ScanCircle: the pre-move of a slow scan, the scan command, the polling loop that records
// every probed point, and the status checks at its end.
#include "src/procedures/scan_circle.h"

#include <algorithm>
#include <chrono>

#include "src/component/circle_dc_component.h"
#include "src/engine/scan_state.h"
#include "src/procedures/moves.h"
#include "src/procedures/raw_scan_files.h"
#include "src/procedures/run_limits.h"

namespace {

struct FlagError {
  HRESULT (IVexa_axis_position_and_status::*get)(LONG*);
  int32_t error;
};

// In the order the controller's flags are examined.
const FlagError kStatusFlags[] = {
    {&IVexa_axis_position_and_status::get_airPressureLow, static_cast<int32_t>(0x8160003Eu)},
    {&IVexa_axis_position_and_status::get_crashSwitchActive, static_cast<int32_t>(0x8160003Du)},
    {&IVexa_axis_position_and_status::get_dataBufferOverflow, static_cast<int32_t>(0x81600047u)},
    {&IVexa_axis_position_and_status::get_emergencyStopActive, static_cast<int32_t>(0x8160003Cu)},
    {&IVexa_axis_position_and_status::get_excessiveProbeDeflection,
     static_cast<int32_t>(0x81600048u)},
    {&IVexa_axis_position_and_status::get_illegalParameter,
     static_cast<int32_t>(ErrorNumber::IllegalParameter)},
    {&IVexa_axis_position_and_status::get_limitSwitchOpenDuringMove,
     static_cast<int32_t>(0x81600045u)},
    {&IVexa_axis_position_and_status::get_markerHitDuringMove, static_cast<int32_t>(0x81600046u)},
    {&IVexa_axis_position_and_status::get_measuringDatumLost,
     static_cast<int32_t>(ErrorNumber::MeasuringDatumLost)},
    {&IVexa_axis_position_and_status::get_QRL_NotResponding, static_cast<int32_t>(0x8160003Au)},
    {&IVexa_axis_position_and_status::get_overspeedDetected, static_cast<int32_t>(0x81600041u)},
    {&IVexa_axis_position_and_status::get_probeHitDuringMove,
     static_cast<int32_t>(ErrorNumber::ProbeHitDuringMove)},
    {&IVexa_axis_position_and_status::get_scaleReadingFailure, static_cast<int32_t>(0x8160003Fu)},
    {&IVexa_axis_position_and_status::get_servoMotorsDisengaged, static_cast<int32_t>(0x81600040u)},
    {&IVexa_axis_position_and_status::get_timeoutDuringMoveOrScan,
     static_cast<int32_t>(0x81600038u)},
    {&IVexa_axis_position_and_status::get_xMotorOverdriven, static_cast<int32_t>(0x81600042u)},
    {&IVexa_axis_position_and_status::get_yMotorOverdriven, static_cast<int32_t>(0x81600043u)},
    {&IVexa_axis_position_and_status::get_zMotorOverdriven, static_cast<int32_t>(0x81600044u)},
};

constexpr BYTE kScanFinishedProperly = 0x10;
constexpr BYTE kScanStatusBit20 = 0x20;
constexpr BYTE kScanStatusBit40 = 0x40;
constexpr double kScanOvertravel = 90.0;

// Pre-move of a slow scan that starts past 30 degrees: turn the probe towards the scan start
// with the lock given up, then take it back.
int32_t PreMove(CircleDCComponent& c) {
  LONG ignored = 0;
  c.Link->releaseLock(&ignored);
  const double dcStartAngle = c.DCStartAngle.Get();
  const double angle = c.ScanDirection.Get() == E_OMBRIX_DC_CIRCLE_CLOCKWISE_SCAN
                           ? dcStartAngle - 30.0
                           : 30.0 - dcStartAngle;
  const MoveOutcome outcome = RotateAboutFeatureAxis(c, angle);
  if (outcome != MoveOutcome::Completed) {
    c.ChangeStatus(E_OMBRIX_DC_CIRCLE_ERROR);
    return MoveErrorNumber(outcome);
  }
  LONG locked = 0;
  c.Link->getLock(kLockWaitLimit, &locked);
  if (!locked) {
    LONG error = 0;
    c.Link->GetLastError(&error);
    c.LastErrorNumber = error;
    return error;
  }
  return 0;
}

bool StartScan(CircleDCComponent& c, double speed, double startAngle) {
  const double pathDiameter =
      ScanPathDiameter(c.BoreOrBoss.Get(), c.FeatureRadius.Get(), c.TipRadius.Get());
  LONG success = 0;
  c.CircleScan->StartCircleScan(c.Link.Get(), 1, static_cast<BYTE>(c.BoreOrBoss.Get()),
                                static_cast<BYTE>(c.ScanDirection.Get()), 1, 0, pathDiameter, 0.0,
                                0.0, 0.0, 0.0, 0.0, 1.0, startAngle, kScanOvertravel, 0.0, 0.0,
                                2.0 * c.TipRadius.Get(), c.ScanDeflection.Get(), speed,
                                c.BufferPitch.Get(), 0.0, 0.1, 1.0, &success);
  return success != 0;
}

// The scan's path at `speed`, with the run's time limit for it.
std::chrono::steady_clock::time_point ScanDeadline(const CircleDCComponent& c, double speed) {
  const double path =
      MA_PI * ScanPathDiameter(c.BoreOrBoss.Get(), c.FeatureRadius.Get(), c.TipRadius.Get()) *
      (360.0 + kScanOvertravel) / 360.0;
  const double seconds = speed > 0.0 ? path / speed : 0.0;
  return std::chrono::steady_clock::now() + ProcessRunTimeLimits().For(seconds);
}

struct TipLists {
  CMaDoubleArray x, y, z;
};

enum class PollEnd { Completed, Aborted, Disengaged, TimedOut };

// Polls back to back until the controller reports the scan completed, recording each probed
// point with its deflection.
PollEnd PollScan(CircleDCComponent& c, double speed, TipLists& tip, DeflectionLists& deflections) {
  IVexa_axis_position_and_status* status = c.AxisStatus.Get();
  const auto deadline = ScanDeadline(c, speed);
  bool recording = true;
  for (;;) {
    status->Update();
    double x = 0, y = 0, z = 0;
    LONG success = 0;
    status->getTip(&x, &y, &z, &success);
    if (!success)
      recording = false;
    LONG probed = 0;
    status->probedPointData(&probed);
    if (recording && probed == 1) {
      tip.x.Add(x);
      tip.y.Add(y);
      tip.z.Add(z);
      double a = 0, b = 0, cc = 0;
      LONG read = 0;
      status->getProbeDeflection(&a, &b, &cc, &read);
      if (read == 1) {
        deflections.a.Add(a);
        deflections.b.Add(b);
        deflections.c.Add(cc);
      }
    }
    LONG done = 0;
    status->actionCompleted(&done);
    if (c.AbortRequested.load() != 0)
      return PollEnd::Aborted;
    LONG state = E_CONTROLLER_STATE_ENGAGED;
    status->ControllerState(&state);
    if (state == E_CONTROLLER_STATE_DISENGAGED)
      return PollEnd::Disengaged;
    if (done != 0)
      return PollEnd::Completed;
    if (std::chrono::steady_clock::now() > deadline)
      return PollEnd::TimedOut;
  }
}

void StopMachine(CircleDCComponent& c) {
  LONG stopped = 0;
  if (c.Stop)
    c.Stop->Stop(c.Link.Get(), &stopped);
}

}  // namespace

double ScanStartAngle(bool slowScan, int32_t scanDirection, double dcStartAngle) {
  if (slowScan)
    return 90.0;
  return scanDirection == E_OMBRIX_DC_CIRCLE_CLOCKWISE_SCAN ? 102.0 - dcStartAngle
                                                            : dcStartAngle + 78.0;
}

double ScanPathDiameter(int32_t boreOrBoss, double featureRadius, double tipRadius) {
  return boreOrBoss == E_OMBRIX_DC_CIRCLE_BORE ? 2.0 * (featureRadius - tipRadius)
                                               : 2.0 * (featureRadius + tipRadius);
}

int32_t ExtendedStatusCheck(IVexa_axis_position_and_status* status) {
  BYTE bytes[kVexaExtendedStatusBytes] = {};
  LONG success = 0;
  status->getExtendedStatus(bytes, &success);
  if (!success) {
    LONG error = 0;
    status->GetLastError(&error);
    return error;
  }
  if (bytes[1] & kScanFinishedProperly)
    return 0;
  if (bytes[1] & kScanStatusBit20)
    return static_cast<int32_t>(0x81600049u);
  if (bytes[1] & kScanStatusBit40)
    return static_cast<int32_t>(ErrorNumber::ExtendedStatusBit40);
  return static_cast<int32_t>(ErrorNumber::ExtendedStatus);
}

int32_t ControllerStatusCheck(IVexa_axis_position_and_status* status) {
  for (const FlagError& flag : kStatusFlags) {
    LONG value = 0;
    (status->*flag.get)(&value);
    if (value != 0)
      return flag.error;
  }
  return ExtendedStatusCheck(status);
}

int32_t PrepareRecordedScan(CircleDCComponent& c, CMaDoubleArray& x, CMaDoubleArray& y,
                            CMaDoubleArray& z, ScanOutput& out) {
  PreparedScan prepared = PrepareScanProfile(c.BoreOrBoss.Get(), c.ScanDirection.Get(),
                                             c.TipRadius.Get(), x, y, z, out.deflections);
  if (prepared.error != ErrorNumber::None)
    return static_cast<int32_t>(prepared.error);
  out.profile = std::move(prepared.profile);
  if (ProcessScanState().slowScanFlag.load() == kSlowScan) {
    c.SlowCentre.Set(prepared.centre);
  } else {
    c.FastCentre.Set(prepared.centre);
  }
  return 0;
}

int32_t ScanCircle(CircleDCComponent& c, double speed, ScanOutput& out) {
  out = ScanOutput{};
  TipLists tip;
  const bool slowScan = ProcessScanState().slowScanFlag.load() == kSlowScan;
  if (slowScan && c.DCStartAngle.Get() > 30.0) {
    if (const int32_t error = PreMove(c))
      return error;
  }
  if (!StartScan(c, speed, ScanStartAngle(slowScan, c.ScanDirection.Get(), c.DCStartAngle.Get()))) {
    LONG error = 0;
    c.CircleScan->GetLastError(&error);
    c.LastErrorNumber = error;
    return error;
  }

  switch (PollScan(c, speed, tip, out.deflections)) {
    case PollEnd::Aborted:
      StopMachine(c);
      c.LastErrorNumber = 0;
      return 0;
    case PollEnd::Disengaged:
      return ControllerStatusCheck(c.AxisStatus.Get());
    case PollEnd::TimedOut:
      StopMachine(c);
      return kMoveOrScanTimedOut;
    case PollEnd::Completed:
      break;
  }

  if (const int32_t error = ExtendedStatusCheck(c.AxisStatus.Get()))
    return error;
  if (const int32_t error = ControllerStatusCheck(c.AxisStatus.Get()))
    return error;
  if (c.SaveRawData.Get() != 0) {
    if (const int32_t error =
            WriteRawScanFiles(c, slowScan, tip.x, tip.y, tip.z, out.deflections)) {
      return error;
    }
  }
  return PrepareRecordedScan(c, tip.x, tip.y, tip.z, out);
}
