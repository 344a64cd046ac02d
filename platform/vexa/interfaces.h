#pragma once
// The machine controller's automation interfaces, as far as the measuring component uses
// them. Every operation returns a status code; work success comes back as a 32-bit
// out-value. Objects are created by class id through CoCreateInstance.
#include "platform/com/bstr.h"
#include "platform/com/unknown.h"

// ---- identifiers ----------------------------------------------------------------------------
inline constexpr IID IID_IVexa_link = {
    0x4C5CE8B0, 0xE05C, 0x11D2, {0x99, 0x8F, 0xB1, 0x1D, 0x00, 0xE7, 0x2B, 0x08}};
inline constexpr CLSID CLSID_Vexa_axis_position_and_status = {
    0x9C8BD4E4, 0x2489, 0x11D6, {0x93, 0xE0, 0x00, 0x10, 0x5A, 0xA5, 0x65, 0x2E}};
inline constexpr IID IID_IVexa_axis_position_and_status = {
    0xEE7E15F1, 0xE8BF, 0x11D5, {0xA9, 0x9B, 0x00, 0x50, 0x04, 0x4E, 0x33, 0xA0}};
inline constexpr CLSID CLSID_Vexa_stop = {
    0xAAFCCE83, 0xF8A2, 0x11D2, {0x99, 0xD6, 0x99, 0x24, 0x10, 0xEF, 0xC5, 0x08}};
inline constexpr IID IID_IVexa_stop = {
    0xAAFCCE82, 0xF8A2, 0x11D2, {0x99, 0xD6, 0x99, 0x24, 0x10, 0xEF, 0xC5, 0x08}};
inline constexpr CLSID CLSID_Vexa_circle_scan = {
    0xC9EB3CB2, 0xD559, 0x11D3, {0xA7, 0x07, 0x00, 0x50, 0x04, 0x4E, 0x33, 0xA0}};
inline constexpr IID IID_IVexa_circle_scan = {
    0xC9EB3CB1, 0xD559, 0x11D3, {0xA7, 0x07, 0x00, 0x50, 0x04, 0x4E, 0x33, 0xA0}};
inline constexpr CLSID CLSID_Vexa_move = {
    0xF3CDE5A4, 0xE3EC, 0x11D5, {0x93, 0xAC, 0x00, 0x10, 0x5A, 0xA5, 0x65, 0x2E}};
inline constexpr IID IID_IVexa_move = {
    0xF3CDE5A3, 0xE3EC, 0x11D5, {0x93, 0xAC, 0x00, 0x10, 0x5A, 0xA5, 0x65, 0x2E}};
inline constexpr CLSID CLSID_Vexa_move_target = {
    0xF3CDE5A7, 0xE3EC, 0x11D5, {0x93, 0xAC, 0x00, 0x10, 0x5A, 0xA5, 0x65, 0x2E}};
inline constexpr IID IID_IVexa_move_target = {
    0xF3CDE5A6, 0xE3EC, 0x11D5, {0x93, 0xAC, 0x00, 0x10, 0x5A, 0xA5, 0x65, 0x2E}};
inline constexpr CLSID CLSID_Vexa_probe_info = {
    0x7ADAFF32, 0x17F2, 0x11D3, {0x99, 0xF9, 0xC4, 0x97, 0x30, 0x7F, 0xDA, 0x08}};
inline constexpr IID IID_IVexa_probe_info = {
    0x7ADAFF31, 0x17F2, 0x11D3, {0x99, 0xF9, 0xC4, 0x97, 0x30, 0x7F, 0xDA, 0x08}};
inline constexpr CLSID CLSID_Vexa_head = {
    0x907678C5, 0x279A, 0x11D6, {0x93, 0xE6, 0x00, 0x10, 0x5A, 0xA5, 0x65, 0x2E}};
inline constexpr IID IID_IVexa_head = {
    0x907678C4, 0x279A, 0x11D6, {0x93, 0xE6, 0x00, 0x10, 0x5A, 0xA5, 0x65, 0x2E}};
inline constexpr CLSID CLSID_Vexa_frame = {
    0xA88A8ABE, 0x14FA, 0x11D3, {0x99, 0xF4, 0x89, 0xE2, 0xB5, 0x0A, 0xD9, 0x08}};
inline constexpr IID IID_IVexa_frame = {
    0xA88A8ABD, 0x14FA, 0x11D3, {0x99, 0xF4, 0x89, 0xE2, 0xB5, 0x0A, 0xD9, 0x08}};
inline constexpr CLSID CLSID_Vexa_settings = {
    0x118A51DF, 0x711B, 0x11D5, {0x97, 0x83, 0x00, 0x50, 0xDA, 0x7B, 0x70, 0xA3}};
inline constexpr IID IID_IVexa_settings = {
    0x118A51DE, 0x711B, 0x11D5, {0x97, 0x83, 0x00, 0x50, 0xDA, 0x7B, 0x70, 0xA3}};
inline constexpr IID IID_IVexa_error = {
    0xBBECCBC1, 0x53CF, 0x4F8B, {0xBB, 0x8A, 0xE1, 0x90, 0x51, 0x52, 0xAB, 0x25}};
inline constexpr const char* kVexaErrorProgId = "CoVexa_error.Vexa_error";
// The error object is known to clients by its ProgID above. The class registry of this
// process resolves class ids only, so the error object is registered under this class id.
inline constexpr CLSID CLSID_Vexa_error = {
    0x5E3A9D41, 0x7C2B, 0x4F6E, {0xA1, 0xD8, 0x3B, 0x9C, 0x0E, 0x7F, 0x2A, 0x64}};

// ---- values ---------------------------------------------------------------------------------
enum EVexaControllerState : LONG {
  E_CONTROLLER_STATE_DISENGAGED = 0,
  E_CONTROLLER_STATE_ENGAGED = 1,
};

// Move status reported by GetMoveStatus.
inline constexpr LONG kVexaMoveRunning = 0x800;
inline constexpr LONG kVexaMoveCompleted = 0x100000;

// Number of bytes getExtendedStatus writes.
inline constexpr int kVexaExtendedStatusBytes = 4;

// The status flags of the axis position and status object, in the order the scan's status
// check queries them. X(name) for each.
#define VEXA_STATUS_FLAGS(X)   \
  X(airPressureLow)            \
  X(crashSwitchActive)         \
  X(dataBufferOverflow)        \
  X(emergencyStopActive)       \
  X(excessiveProbeDeflection)  \
  X(illegalParameter)          \
  X(limitSwitchOpenDuringMove) \
  X(markerHitDuringMove)       \
  X(measuringDatumLost)        \
  X(QRL_NotResponding)         \
  X(overspeedDetected)         \
  X(probeHitDuringMove)        \
  X(scaleReadingFailure)       \
  X(servoMotorsDisengaged)     \
  X(timeoutDuringMoveOrScan)   \
  X(xMotorOverdriven)          \
  X(yMotorOverdriven)          \
  X(zMotorOverdriven)

// ---- interfaces -----------------------------------------------------------------------------
struct IVexa_link : IUnknown {
  // Takes the controller's lock, waiting up to waitLimit milliseconds for another holder.
  virtual HRESULT getLock(LONG waitLimit, LONG* success) = 0;
  virtual HRESULT releaseLock(LONG* success) = 0;
  virtual HRESULT GetLastError(LONG* error) = 0;

 protected:
  ~IVexa_link() = default;
};

struct IVexa_axis_position_and_status : IUnknown {
  virtual HRESULT InitialiseObject(IVexa_link* link, LONG* success) = 0;
  // Refreshes the values that the getters below report.
  virtual HRESULT Update() = 0;
  // Probe tip centre in the feature frame.
  virtual HRESULT getTip(double* x, double* y, double* z, LONG* success) = 0;
  virtual HRESULT getProbeDeflection(double* a, double* b, double* c, LONG* success) = 0;
  // 1 when the last Update delivered a new probed point.
  virtual HRESULT probedPointData(LONG* flag) = 0;
  // 1 when the current action (scan) has completed.
  virtual HRESULT actionCompleted(LONG* done) = 0;
  virtual HRESULT ControllerState(LONG* state) = 0;
  virtual HRESULT getExtendedStatus(BYTE statusBytes[kVexaExtendedStatusBytes], LONG* success) = 0;
  virtual HRESULT GetLastError(LONG* error) = 0;
#define VEXA_DECLARE_FLAG(name) virtual HRESULT get_##name(LONG* value) = 0;
  VEXA_STATUS_FLAGS(VEXA_DECLARE_FLAG)
#undef VEXA_DECLARE_FLAG

 protected:
  ~IVexa_axis_position_and_status() = default;
};

struct IVexa_stop : IUnknown {
  virtual HRESULT Stop(IVexa_link* link, LONG* success) = 0;

 protected:
  ~IVexa_stop() = default;
};

struct IVexa_circle_scan : IUnknown {
  virtual HRESULT StartCircleScan(IVexa_link* link, LONG mode, BYTE boreOrBoss, BYTE scanDirection,
                                  LONG pointMode, LONG reserved, double pathDiameter,
                                  double centreX, double centreY, double centreZ, double axisX,
                                  double axisY, double axisZ, double startAngle, double overtravel,
                                  double reserved1, double reserved2, double tipDiameter,
                                  double deflection, double speed, double bufferPitch,
                                  double reserved3, double reserved4, double reserved5,
                                  LONG* success) = 0;
  virtual HRESULT GetLastError(LONG* error) = 0;

 protected:
  ~IVexa_circle_scan() = default;
};

struct IVexa_move_target : IUnknown {
  virtual HRESULT Reset() = 0;
  virtual HRESULT put_x(double value) = 0;
  virtual HRESULT put_y(double value) = 0;
  virtual HRESULT put_z(double value) = 0;
  virtual HRESULT get_x(double* value) = 0;
  virtual HRESULT get_y(double* value) = 0;
  virtual HRESULT get_z(double* value) = 0;
  virtual HRESULT SetAxis(double x, double y, double z) = 0;
  virtual HRESULT GetAxis(double* x, double* y, double* z) = 0;
  virtual HRESULT put_Angle(double degrees) = 0;
  virtual HRESULT get_Angle(double* degrees) = 0;

 protected:
  ~IVexa_move_target() = default;
};

struct IVexa_move : IUnknown {
  virtual HRESULT InitialiseObject(IVexa_link* link, IVexa_axis_position_and_status* ps,
                                   LONG* success) = 0;
  // The next move rotates about the target's axis by its angle instead of moving linearly.
  virtual HRESULT SelectRotation() = 0;
  virtual HRESULT SetTarget(IVexa_move_target* target, LONG* success) = 0;
  virtual HRESULT StartMove(double speed, LONG reserved1, LONG reserved2, LONG reserved3,
                            LONG reserved4) = 0;
  virtual HRESULT GetMoveStatus(LONG* status, double* x, double* y, double* z) = 0;

 protected:
  ~IVexa_move() = default;
};

struct IVexa_probe_info : IUnknown {
  virtual HRESULT InitialiseObject(IVexa_link* link, LONG* success) = 0;
  virtual HRESULT get_measuringUnit(BYTE* value) = 0;  // 0 mm, 1 inches
  virtual HRESULT get_probeType(BYTE* value) = 0;
  virtual HRESULT get_headFlag(BYTE* value) = 0;  // nonzero: head angles apply

 protected:
  ~IVexa_probe_info() = default;
};

struct IVexa_head : IUnknown {
  virtual HRESULT InitialiseObject(IVexa_link* link, IVexa_axis_position_and_status* ps,
                                   LONG* success) = 0;
  virtual HRESULT get_angleA(double* degrees) = 0;
  virtual HRESULT get_angleB(double* degrees) = 0;

 protected:
  ~IVexa_head() = default;
};

// Maps points of the current feature frame into machine coordinates.
struct IVexa_frame : IUnknown {
  virtual HRESULT SetPoint(IVexa_link* link, double x, double y, double z) = 0;
  virtual HRESULT GetPoint(double* x, double* y, double* z) = 0;

 protected:
  ~IVexa_frame() = default;
};

// The settings store over INI files. A missing key gives the default; a file that cannot be
// read makes the read fail (E_FAIL) and still gives the default.
struct IVexa_settings : IUnknown {
  virtual HRESULT ReadDouble(BSTR section, BSTR key, double defaultValue, BSTR file,
                             double* value) = 0;
  virtual HRESULT ReadInteger(BSTR section, BSTR key, LONG defaultValue, BSTR file,
                              LONG* value) = 0;
  // defaultValue may be null (absent); *value receives a new string or null.
  virtual HRESULT ReadString(BSTR section, BSTR key, BSTR defaultValue, BSTR file, BSTR* value) = 0;

 protected:
  ~IVexa_settings() = default;
};

// Texts in the user's language, for the viewer.
struct IVexa_error : IUnknown {
  virtual HRESULT put_Language(BSTR language) = 0;
  virtual HRESULT get_Language(BSTR* language) = 0;
  virtual HRESULT GetText(BSTR section, BSTR key, BSTR* text) = 0;

 protected:
  ~IVexa_error() = default;
};

OMBRIXDC_INTERFACE_ID(IVexa_link, IID_IVexa_link);
OMBRIXDC_INTERFACE_ID(IVexa_axis_position_and_status, IID_IVexa_axis_position_and_status);
OMBRIXDC_INTERFACE_ID(IVexa_stop, IID_IVexa_stop);
OMBRIXDC_INTERFACE_ID(IVexa_circle_scan, IID_IVexa_circle_scan);
OMBRIXDC_INTERFACE_ID(IVexa_move_target, IID_IVexa_move_target);
OMBRIXDC_INTERFACE_ID(IVexa_move, IID_IVexa_move);
OMBRIXDC_INTERFACE_ID(IVexa_probe_info, IID_IVexa_probe_info);
OMBRIXDC_INTERFACE_ID(IVexa_head, IID_IVexa_head);
OMBRIXDC_INTERFACE_ID(IVexa_frame, IID_IVexa_frame);
OMBRIXDC_INTERFACE_ID(IVexa_settings, IID_IVexa_settings);
OMBRIXDC_INTERFACE_ID(IVexa_error, IID_IVexa_error);
