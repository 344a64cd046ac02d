// ScanCircle: the pre-move of a slow scan, the scan command, the polling loop that records
// every probed point, and the status checks at its end.
#include "src/procedures/scan_circle.h"

#include <chrono>

#include "src/procedures/controller_lock.h"
#include "src/procedures/moves.h"
#include "src/procedures/raw_scan_files.h"

namespace ombrixdc {

namespace {

struct FlagError {
  HRESULT (IVexa_axis_position_and_status::*get)(LONG*);
  Error error;
};

using Axis = IVexa_axis_position_and_status;

// In the order the controller's flags are examined.
const FlagError kStatusFlags[] = {
    {&Axis::get_airPressureLow, ControllerCode::AirPressureLow},
    {&Axis::get_crashSwitchActive, ControllerCode::CrashSwitchActive},
    {&Axis::get_dataBufferOverflow, ControllerCode::DataBufferOverflow},
    {&Axis::get_emergencyStopActive, ControllerCode::EmergencyStopActive},
    {&Axis::get_excessiveProbeDeflection, ControllerCode::ExcessiveProbeDeflection},
    {&Axis::get_illegalParameter, ErrorNumber::IllegalParameter},
    {&Axis::get_limitSwitchOpenDuringMove, ControllerCode::LimitSwitchOpenDuringMove},
    {&Axis::get_markerHitDuringMove, ControllerCode::MarkerHitDuringMove},
    {&Axis::get_measuringDatumLost, ErrorNumber::MeasuringDatumLost},
    {&Axis::get_QRL_NotResponding, ControllerCode::QrlNotResponding},
    {&Axis::get_overspeedDetected, ControllerCode::OverspeedDetected},
    {&Axis::get_probeHitDuringMove, ErrorNumber::ProbeHitDuringMove},
    {&Axis::get_scaleReadingFailure, ControllerCode::ScaleReadingFailure},
    {&Axis::get_servoMotorsDisengaged, ControllerCode::ServoMotorsDisengaged},
    {&Axis::get_timeoutDuringMoveOrScan, ControllerCode::TimeoutDuringMoveOrScan},
    {&Axis::get_xMotorOverdriven, ControllerCode::XMotorOverdriven},
    {&Axis::get_yMotorOverdriven, ControllerCode::YMotorOverdriven},
    {&Axis::get_zMotorOverdriven, ControllerCode::ZMotorOverdriven},
};

// Bits of the extended status's second byte.
constexpr BYTE kScanFinishedProperly = 0x10;
constexpr BYTE kScanStatusBit20 = 0x20;
constexpr BYTE kScanStatusBit40 = 0x40;

// The scan's angles, in degrees. A slow scan starts on the +Y axis; a fast scan's start is
// offset from it by DCStartAngle less 12 degrees, to the side the scan direction gives, so the
// fast scan is up to speed over the profile's revolution. Every scan runs a quarter turn past
// one revolution.
constexpr double kSlowScanStartAngle = 90.0;
constexpr double kFastScanStartClockwise = 102.0;
constexpr double kFastScanStartAnticlockwise = 78.0;
constexpr double kScanOvertravel = 90.0;
// A slow scan that starts farther round than this first turns the probe towards the start.
constexpr double kPreMoveAngle = 30.0;

// The scan command's fixed arguments: a known-part scan recording every point, about the
// feature's centre and +z axis (the feature frame), and the reserved values the controller
// expects.
namespace scan_command {
constexpr LONG kKnownPartMode = 1;
constexpr LONG kEveryPoint = 1;
constexpr LONG kReservedLong = 0;
constexpr double kCentre = 0.0;
constexpr double kAxisX = 0.0, kAxisY = 0.0, kAxisZ = 1.0;
constexpr double kReserved1 = 0.0, kReserved2 = 0.0, kReserved3 = 0.0;
constexpr double kReserved4 = 0.1, kReserved5 = 1.0;
}  // namespace scan_command

// Pre-move of a slow scan that starts past kPreMoveAngle: turn the probe towards the scan
// start with the lock given up, then take it back.
StepResult PreMove(const RunContext& run) {
  GiveLockUp(run.controller);
  const double dcStartAngle = run.feature.dcStartAngle;
  const double angle = run.feature.scanDirection == E_OMBRIX_DC_CIRCLE_CLOCKWISE_SCAN
                           ? dcStartAngle - kPreMoveAngle
                           : kPreMoveAngle - dcStartAngle;
  const StepResult moved = MoveResult(RotateAboutFeatureAxis(run, angle));
  if (!moved.IsCompleted()) {
    return moved;
  }
  return TakeLockBack(run.controller);
}

bool StartScan(const RunContext& run, double speed, double startAngle) {
  using namespace scan_command;
  const MapFileHeader& f = run.feature;
  const double pathDiameter = ScanPathDiameter(f.boreOrBoss, f.radius, f.tipRadius);
  LONG success = 0;
  run.controller.circleScan->StartCircleScan(
      run.controller.link.Get(), kKnownPartMode, static_cast<BYTE>(f.boreOrBoss),
      static_cast<BYTE>(f.scanDirection), kEveryPoint, kReservedLong, pathDiameter, kCentre,
      kCentre, kCentre, kAxisX, kAxisY, kAxisZ, startAngle, kScanOvertravel, kReserved1, kReserved2,
      2.0 * f.tipRadius, f.scanDeflection, speed, f.bufferPitch, kReserved3, kReserved4, kReserved5,
      &success);
  return success != 0;
}

// The scan's path at `speed`, with the run's time limit for it.
std::chrono::steady_clock::time_point ScanDeadline(const RunContext& run, double speed) {
  const MapFileHeader& f = run.feature;
  const double path = MA_PI * ScanPathDiameter(f.boreOrBoss, f.radius, f.tipRadius) *
                      (360.0 + kScanOvertravel) / 360.0;
  const double seconds = speed > 0.0 ? path / speed : 0.0;
  return std::chrono::steady_clock::now() + run.limits.For(seconds);
}

struct TipLists {
  CMaDoubleArray x, y, z;
};

enum class PollEnd { Completed, Aborted, Disengaged, TimedOut };

void RecordPoint(Axis* status, double x, double y, double z, TipLists& tip,
                 DeflectionLists& deflections) {
  tip.x.Add(x);
  tip.y.Add(y);
  tip.z.Add(z);
  double a = 0, b = 0, c = 0;
  LONG read = 0;
  status->getProbeDeflection(&a, &b, &c, &read);
  if (read == 1) {
    deflections.a.Add(a);
    deflections.b.Add(b);
    deflections.c.Add(c);
  }
}

// Polls back to back until the controller reports the scan completed, recording each probed
// point with its deflection.
PollEnd PollScan(const RunContext& run, const RunReporter& report, double speed, TipLists& tip,
                 DeflectionLists& deflections) {
  Axis* status = run.controller.axisStatus.Get();
  const auto deadline = ScanDeadline(run, speed);
  bool recording = true;
  for (;;) {
    status->Update();
    double x = 0, y = 0, z = 0;
    LONG success = 0;
    status->getTip(&x, &y, &z, &success);
    if (!success) {
      recording = false;
    }
    LONG probed = 0;
    status->probedPointData(&probed);
    if (recording && probed == 1) {
      RecordPoint(status, x, y, z, tip, deflections);
    }
    LONG done = 0;
    status->actionCompleted(&done);
    if (report.AbortRequested()) {
      return PollEnd::Aborted;
    }
    LONG state = E_CONTROLLER_STATE_ENGAGED;
    status->ControllerState(&state);
    if (state == E_CONTROLLER_STATE_DISENGAGED) {
      return PollEnd::Disengaged;
    }
    if (done != 0) {
      return PollEnd::Completed;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      return PollEnd::TimedOut;
    }
  }
}

}  // namespace

double ScanStartAngle(ScanKind scan, int32_t scanDirection, double dcStartAngle) {
  if (scan == ScanKind::Slow) {
    return kSlowScanStartAngle;
  }
  return scanDirection == E_OMBRIX_DC_CIRCLE_CLOCKWISE_SCAN
             ? kFastScanStartClockwise - dcStartAngle
             : dcStartAngle + kFastScanStartAnticlockwise;
}

double ScanPathDiameter(int32_t boreOrBoss, double featureRadius, double tipRadius) {
  return boreOrBoss == E_OMBRIX_DC_CIRCLE_BORE ? 2.0 * (featureRadius - tipRadius)
                                               : 2.0 * (featureRadius + tipRadius);
}

StepResult ExtendedStatusCheck(Axis* status) {
  BYTE bytes[kVexaExtendedStatusBytes] = {};
  LONG success = 0;
  status->getExtendedStatus(bytes, &success);
  if (!success) {
    LONG error = 0;
    status->GetLastError(&error);
    return error != 0 ? StepResult::Failed(Error::FromNumber(error)) : StepResult::Completed();
  }
  if (bytes[1] & kScanFinishedProperly) {
    return StepResult::Completed();
  }
  if (bytes[1] & kScanStatusBit20) {
    return StepResult::Failed(ControllerCode::ScanNotFinished);
  }
  if (bytes[1] & kScanStatusBit40) {
    return StepResult::Failed(ErrorNumber::ExtendedStatusBit40);
  }
  return StepResult::Failed(ErrorNumber::ExtendedStatus);
}

StepResult ControllerStatusCheck(Axis* status) {
  for (const FlagError& flag : kStatusFlags) {
    LONG value = 0;
    (status->*flag.get)(&value);
    if (value != 0) {
      return StepResult::Failed(flag.error);
    }
  }
  return ExtendedStatusCheck(status);
}

ScanResult ScanCircle(const RunContext& run, RunReporter& report, ScanKind scan, double speed) {
  const ControllerObjects& controller = run.controller;
  const MapFileHeader& f = run.feature;
  if (scan == ScanKind::Slow && f.dcStartAngle > kPreMoveAngle) {
    if (StepResult moved = PreMove(run); !moved.IsCompleted()) {
      return {moved, {}};
    }
  }
  if (!StartScan(run, speed, ScanStartAngle(scan, f.scanDirection, f.dcStartAngle))) {
    LONG error = 0;
    controller.circleScan->GetLastError(&error);
    return {StepResult::Failed(Error::FromNumber(error)), {}};
  }

  TipLists tip;
  DeflectionLists deflections;
  switch (PollScan(run, report, speed, tip, deflections)) {
    case PollEnd::Aborted:
      StopMachine(controller);
      return {StepResult::Aborted(), {{}, std::move(deflections), {}}};
    case PollEnd::Disengaged:
      return {ControllerStatusCheck(controller.axisStatus.Get()), {}};
    case PollEnd::TimedOut:
      StopMachine(controller);
      return {StepResult::Failed(ControllerCode::TimeoutDuringMoveOrScan), {}};
    case PollEnd::Completed:
      break;
  }

  if (StepResult status = ExtendedStatusCheck(controller.axisStatus.Get()); !status.IsCompleted()) {
    return {status, {}};
  }
  if (StepResult status = ControllerStatusCheck(controller.axisStatus.Get());
      !status.IsCompleted()) {
    return {status, {}};
  }
  if (run.saveRawData) {
    if (StepResult written =
            WriteRawScanFiles(run.runFolder, scan, tip.x, tip.y, tip.z, deflections);
        !written.IsCompleted()) {
      return {written, {}};
    }
  }
  return PrepareRecordedScan(run, report, scan, tip.x, tip.y, tip.z, std::move(deflections));
}

}  // namespace ombrixdc
