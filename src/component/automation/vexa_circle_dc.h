#pragma once
// Vexa_CircleDC: the automation object that clients create. It carries one CircleDCComponent
// and answers for IUnknown, IVexa_CircleDC, IDispatch (the same dual interface) and
// IConnectionPointContainer, with one connection point, for _IVexa_CircleDCEvents. Every
// operation of the interface passes to the component; the component's events go to the
// connected sinks through their IDispatch::Invoke.
#include <memory>

#include "platform/com/class_registry.h"
#include "platform/com/event_connection_point.h"
#include "platform/com/object.h"
#include "src/component/automation/public_interface.h"
#include "src/component/circle_dc_component.h"

// The class the public header declares, so it stays in the global namespace.
class Vexa_CircleDC : public ComObject<IVexa_CircleDC, IConnectionPointContainer> {
 public:
  Vexa_CircleDC();

  HRESULT QueryInterface(REFIID riid, void** ppv) override;

  // ---- IDispatch ----
  // No type information is handed out: GetTypeInfoCount reports 0.
  HRESULT GetTypeInfoCount(UINT* pctinfo) override;
  HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                        DISPID* rgDispId) override;
  HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                 VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

  // ---- IVexa_CircleDC ----
  HRESULT PerformCircle() override;
  HRESULT get_Status(ECircleStatus* pVal) override;
  HRESULT get_ModeParameter(double* pVal) override;
  HRESULT put_ModeParameter(double newVal) override;
  HRESULT get_FilterNumber(LONG* pVal) override;
  HRESULT put_FilterNumber(LONG newVal) override;
  HRESULT get_TipRadius(double* pVal) override;
  HRESULT put_TipRadius(double newVal) override;
  HRESULT get_FeatureRadius(double* pVal) override;
  HRESULT put_FeatureRadius(double newVal) override;
  HRESULT get_Mode(EMode* pVal) override;
  HRESULT put_Mode(EMode newVal) override;
  HRESULT get_Learning(ELearning* pVal) override;
  HRESULT put_Learning(ELearning newVal) override;
  HRESULT get_SlowSpeed(double* pVal) override;
  HRESULT put_SlowSpeed(double newVal) override;
  HRESULT get_ScanDeflection(double* pVal) override;
  HRESULT put_ScanDeflection(double newVal) override;
  HRESULT get_Overwrite(EOverwriteExistingMap* pVal) override;
  HRESULT put_Overwrite(EOverwriteExistingMap newVal) override;
  HRESULT get_BoreOrBoss(EBoreOrBoss* pVal) override;
  HRESULT put_BoreOrBoss(EBoreOrBoss newVal) override;
  HRESULT ShowGraphics(INT left, INT top, INT width, INT height, BSTR filename) override;
  HRESULT get_ScanDirection(EScanDirection* pVal) override;
  HRESULT put_ScanDirection(EScanDirection newVal) override;
  HRESULT get_ScanType(EScanType* pVal) override;
  HRESULT put_ScanType(EScanType newVal) override;
  HRESULT get_MaxScanSpeed(double* pVal) override;
  HRESULT put_MaxScanSpeed(double newVal) override;
  HRESULT get_IniFilepath(BSTR* pVal) override;
  HRESULT put_IniFilepath(BSTR newVal) override;
  HRESULT get_WorkingFolder(BSTR* pVal) override;
  HRESULT put_WorkingFolder(BSTR newVal) override;
  HRESULT GetData(EDataType type, double* form, double* radius, double* centreX, double* centreY,
                  double* centreZ, SAFEARRAY** X, SAFEARRAY** Y, SAFEARRAY** Z,
                  LONG* success) override;
  HRESULT GetCurrentCircleStatus(ECircleStatus* Status) override;
  HRESULT get_GetLastError(LONG* pVal) override;
  HRESULT Abort() override;
  HRESULT EnterProbeOffsets(double X, double Y, double Z) override;
  HRESULT GetStartPosition(double* X, double* Y, double* Z, LONG* success) override;
  HRESULT InitialiseObject(IVexa_link* link, IVexa_axis_position_and_status* ps,
                           LONG* success) override;
  HRESULT GetPerformCircleComplete(LONG* completed, LONG* success) override;
  HRESULT SaveData(BSTR filename, LONG* success) override;
  HRESULT put_OfflineTesting(LONG newVal) override;
  HRESULT put_SaveRawData(LONG newVal) override;
  HRESULT get_HeaderInfo1(BSTR* pVal) override;
  HRESULT put_HeaderInfo1(BSTR newVal) override;
  HRESULT get_HeaderInfo2(BSTR* pVal) override;
  HRESULT put_HeaderInfo2(BSTR newVal) override;
  HRESULT get_HeaderInfo3(BSTR* pVal) override;
  HRESULT put_HeaderInfo3(BSTR newVal) override;
  HRESULT get_HeaderInfo4(BSTR* pVal) override;
  HRESULT put_HeaderInfo4(BSTR newVal) override;
  HRESULT get_HeaderInfo5(BSTR* pVal) override;
  HRESULT put_HeaderInfo5(BSTR newVal) override;
  HRESULT ShowGraphicsComplete() override;
  HRESULT put_FilterMethod(LONG newVal) override;
  HRESULT get_Language(BSTR* pVal) override;
  HRESULT put_Language(BSTR newVal) override;
  HRESULT GetGraphicsClosed(LONG* closed) override;
  HRESULT get_WindowHandle(LONG* pVal) override;
  HRESULT get_WindowVisible(LONG* pVal) override;
  HRESULT put_WindowVisible(LONG newVal) override;

  // ---- IConnectionPointContainer ----
  HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
  HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

  // The component behind the interface (for the command line and tests in this process).
  ombrixdc::CircleDCComponent& Component() { return component_; }

 protected:
  ~Vexa_CircleDC() override = default;
  void FinalRelease() override;

 private:
  // Declared before the component: the component's destruction waits for a running worker,
  // which may still fire events through it.
  EventConnectionPoint events_;
  ombrixdc::CircleDCComponent component_;
};

namespace ombrixdc {

// A new Vexa_CircleDC, queried for riid.
HRESULT CreateVexaCircleDC(REFIID riid, void** ppv);
// The class factory of Vexa_CircleDC, with one reference: one new object per CreateInstance.
IClassFactory* NewVexaCircleDCClassFactory();

}  // namespace ombrixdc
