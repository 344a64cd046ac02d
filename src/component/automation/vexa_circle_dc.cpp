#include "src/component/automation/vexa_circle_dc.h"

#include "src/component/automation/dispatch_invoke.h"

namespace ombrixdc {

namespace {

// Hands the component's events to the connection point's sinks.
class EventRelay final : public CircleDCEvents {
 public:
  explicit EventRelay(const EventConnectionPoint& point) : point_(point) {}
  void OnStatusChange(int32_t currentStatus) override {
    FireWithLong(DISPID_OnStatusChange, currentStatus);
  }
  void PerformCircleComplete(int32_t success) override {
    FireWithLong(DISPID_PerformCircleComplete, success);
  }
  void OnGraphicsClosed() override { point_.FireEvent(DISPID_OnGraphicsClosed, nullptr, 0); }

 private:
  void FireWithLong(DISPID dispid, int32_t value) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_I4;
    arg.lVal = value;
    point_.FireEvent(dispid, &arg, 1);
  }
  const EventConnectionPoint& point_;
};

// An absent string stays absent both ways; an empty one stays empty.
HRESULT GetText(const SharedValue<OptionalText>& field, BSTR* out) {
  if (!out) {
    return E_POINTER;
  }
  *out = nullptr;
  const OptionalText text = field.Get();
  if (text && !(*out = BstrFromUtf8(*text))) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT PutText(SharedValue<OptionalText>& field, BSTR value) {
  field.Set(value ? OptionalText(Utf8FromBstr(value)) : std::nullopt);
  return S_OK;
}

template <class T, class Out>
HRESULT GetScalar(const SharedScalar<T>& field, Out* out) {
  if (!out) {
    return E_POINTER;
  }
  *out = static_cast<Out>(field.Get());
  return S_OK;
}

template <class T, class In>
HRESULT PutScalar(SharedScalar<T>& field, In value) {
  field.Set(static_cast<T>(value));
  return S_OK;
}

// A new automation array holding the values; null when it cannot be had.
SAFEARRAY* ToSafeArray(const std::vector<double>& values) {
  if (values.size() > UINT32_MAX) {
    return nullptr;
  }
  SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(values.size()));
  void* data = nullptr;
  if (!array || FAILED(SafeArrayAccessData(array, &data))) {
    SafeArrayDestroy(array);
    return nullptr;
  }
  std::copy(values.begin(), values.end(), static_cast<double*>(data));
  SafeArrayUnaccessData(array);
  return array;
}

}  // namespace
}  // namespace ombrixdc

using namespace ombrixdc;

Vexa_CircleDC::Vexa_CircleDC() : events_(this, DIID__IVexa_CircleDCEvents) {
  component_.Sinks.Connect(std::make_shared<EventRelay>(events_));
}

void Vexa_CircleDC::FinalRelease() {
  // The owner has let go: its sinks hear nothing more, not even the rest of an event going
  // round now. Released while a run goes, the object may live until that run has ended; the
  // run's thread then deletes it.
  events_.UnadviseAll();
  component_.DestroyWhenIdle([this] { delete this; });
}

HRESULT Vexa_CircleDC::QueryInterface(REFIID riid, void** ppv) {
  if (ppv && riid == IID_IDispatch) {
    *ppv = static_cast<IDispatch*>(static_cast<IVexa_CircleDC*>(this));
    AddRef();
    return S_OK;
  }
  return ComObject::QueryInterface(riid, ppv);
}

// ---- IDispatch
// ------------------------------------------------------------------------------------

HRESULT Vexa_CircleDC::GetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) {
    return E_POINTER;
  }
  *pctinfo = 0;
  return S_OK;
}

HRESULT Vexa_CircleDC::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
  if (!ppTInfo) {
    return E_POINTER;
  }
  *ppTInfo = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT Vexa_CircleDC::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                     DISPID* rgDispId) {
  return DescribedGetIDsOfNames(CircleDCTypeLibrary().automation, riid, rgszNames, cNames,
                                rgDispId);
}

HRESULT Vexa_CircleDC::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                              DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                              UINT* puArgErr) {
  return DescribedInvoke(*this, CircleDCTypeLibrary().automation, dispIdMember, riid, lcid, wFlags,
                         pDispParams, pVarResult, pExcepInfo, puArgErr);
}

// ---- run control
// ----------------------------------------------------------------------------------

HRESULT Vexa_CircleDC::PerformCircle() {
  // A handler of the events this call raises may release the caller's last reference: the
  // object stays alive until the call returns.
  const ComPtr<Vexa_CircleDC> keepAlive(this);
  return component_.PerformCircle();
}

HRESULT Vexa_CircleDC::Abort() {
  return component_.Abort();
}

// Status and GetCurrentCircleStatus are one value.
HRESULT Vexa_CircleDC::get_Status(ECircleStatus* pVal) {
  return GetCurrentCircleStatus(pVal);
}

HRESULT Vexa_CircleDC::GetCurrentCircleStatus(ECircleStatus* Status) {
  if (!Status) {
    return E_POINTER;
  }
  *Status = component_.GetCurrentCircleStatus();
  return S_OK;
}

HRESULT Vexa_CircleDC::get_GetLastError(LONG* pVal) {
  if (!pVal) {
    return E_POINTER;
  }
  *pVal = static_cast<LONG>(component_.GetLastError());
  return S_OK;
}

// ---- properties
// -----------------------------------------------------------------------------------

HRESULT Vexa_CircleDC::get_ModeParameter(double* pVal) {
  return GetScalar(component_.ModeParameter, pVal);
}
HRESULT Vexa_CircleDC::put_ModeParameter(double newVal) {
  return PutScalar(component_.ModeParameter, newVal);
}
HRESULT Vexa_CircleDC::get_FilterNumber(LONG* pVal) {
  return GetScalar(component_.FilterNumber, pVal);
}
HRESULT Vexa_CircleDC::put_FilterNumber(LONG newVal) {
  return PutScalar(component_.FilterNumber, newVal);
}
HRESULT Vexa_CircleDC::get_TipRadius(double* pVal) {
  return GetScalar(component_.TipRadius, pVal);
}
HRESULT Vexa_CircleDC::put_TipRadius(double newVal) {
  return PutScalar(component_.TipRadius, newVal);
}
HRESULT Vexa_CircleDC::get_FeatureRadius(double* pVal) {
  return GetScalar(component_.FeatureRadius, pVal);
}
HRESULT Vexa_CircleDC::put_FeatureRadius(double newVal) {
  return PutScalar(component_.FeatureRadius, newVal);
}
HRESULT Vexa_CircleDC::get_Mode(EMode* pVal) {
  return GetScalar(component_.Mode, pVal);
}
HRESULT Vexa_CircleDC::put_Mode(EMode newVal) {
  return PutScalar(component_.Mode, newVal);
}
HRESULT Vexa_CircleDC::get_Learning(ELearning* pVal) {
  return GetScalar(component_.Learning, pVal);
}
HRESULT Vexa_CircleDC::put_Learning(ELearning newVal) {
  return PutScalar(component_.Learning, newVal);
}
HRESULT Vexa_CircleDC::get_SlowSpeed(double* pVal) {
  return GetScalar(component_.SlowSpeed, pVal);
}
HRESULT Vexa_CircleDC::put_SlowSpeed(double newVal) {
  return PutScalar(component_.SlowSpeed, newVal);
}
HRESULT Vexa_CircleDC::get_ScanDeflection(double* pVal) {
  return GetScalar(component_.ScanDeflection, pVal);
}
HRESULT Vexa_CircleDC::put_ScanDeflection(double newVal) {
  return PutScalar(component_.ScanDeflection, newVal);
}
HRESULT Vexa_CircleDC::get_Overwrite(EOverwriteExistingMap* pVal) {
  return GetScalar(component_.Overwrite, pVal);
}
HRESULT Vexa_CircleDC::put_Overwrite(EOverwriteExistingMap newVal) {
  return PutScalar(component_.Overwrite, newVal);
}
HRESULT Vexa_CircleDC::get_BoreOrBoss(EBoreOrBoss* pVal) {
  return GetScalar(component_.BoreOrBoss, pVal);
}
HRESULT Vexa_CircleDC::put_BoreOrBoss(EBoreOrBoss newVal) {
  return PutScalar(component_.BoreOrBoss, newVal);
}
HRESULT Vexa_CircleDC::get_ScanDirection(EScanDirection* pVal) {
  return GetScalar(component_.ScanDirection, pVal);
}
HRESULT Vexa_CircleDC::put_ScanDirection(EScanDirection newVal) {
  return PutScalar(component_.ScanDirection, newVal);
}
HRESULT Vexa_CircleDC::get_ScanType(EScanType* pVal) {
  return GetScalar(component_.ScanType, pVal);
}
HRESULT Vexa_CircleDC::put_ScanType(EScanType newVal) {
  return PutScalar(component_.ScanType, newVal);
}
HRESULT Vexa_CircleDC::get_MaxScanSpeed(double* pVal) {
  return GetScalar(component_.MaxScanSpeed, pVal);
}
HRESULT Vexa_CircleDC::put_MaxScanSpeed(double newVal) {
  return PutScalar(component_.MaxScanSpeed, newVal);
}
HRESULT Vexa_CircleDC::get_IniFilepath(BSTR* pVal) {
  return GetText(component_.IniFilepath, pVal);
}
HRESULT Vexa_CircleDC::put_IniFilepath(BSTR newVal) {
  return PutText(component_.IniFilepath, newVal);
}
HRESULT Vexa_CircleDC::get_WorkingFolder(BSTR* pVal) {
  return GetText(component_.WorkingFolder, pVal);
}
HRESULT Vexa_CircleDC::put_WorkingFolder(BSTR newVal) {
  return PutText(component_.WorkingFolder, newVal);
}
HRESULT Vexa_CircleDC::put_OfflineTesting(LONG newVal) {
  return PutScalar(component_.OfflineTesting, newVal);
}
HRESULT Vexa_CircleDC::put_SaveRawData(LONG newVal) {
  return PutScalar(component_.SaveRawData, newVal);
}
HRESULT Vexa_CircleDC::get_HeaderInfo1(BSTR* pVal) {
  return GetText(component_.HeaderInfo[0], pVal);
}
HRESULT Vexa_CircleDC::put_HeaderInfo1(BSTR newVal) {
  return PutText(component_.HeaderInfo[0], newVal);
}
HRESULT Vexa_CircleDC::get_HeaderInfo2(BSTR* pVal) {
  return GetText(component_.HeaderInfo[1], pVal);
}
HRESULT Vexa_CircleDC::put_HeaderInfo2(BSTR newVal) {
  return PutText(component_.HeaderInfo[1], newVal);
}
HRESULT Vexa_CircleDC::get_HeaderInfo3(BSTR* pVal) {
  return GetText(component_.HeaderInfo[2], pVal);
}
HRESULT Vexa_CircleDC::put_HeaderInfo3(BSTR newVal) {
  return PutText(component_.HeaderInfo[2], newVal);
}
HRESULT Vexa_CircleDC::get_HeaderInfo4(BSTR* pVal) {
  return GetText(component_.HeaderInfo[3], pVal);
}
HRESULT Vexa_CircleDC::put_HeaderInfo4(BSTR newVal) {
  return PutText(component_.HeaderInfo[3], newVal);
}
HRESULT Vexa_CircleDC::get_HeaderInfo5(BSTR* pVal) {
  return GetText(component_.HeaderInfo[4], pVal);
}
HRESULT Vexa_CircleDC::put_HeaderInfo5(BSTR newVal) {
  return PutText(component_.HeaderInfo[4], newVal);
}
HRESULT Vexa_CircleDC::put_FilterMethod(LONG newVal) {
  component_.SetFilterMethod(newVal);
  return S_OK;
}
HRESULT Vexa_CircleDC::get_Language(BSTR* pVal) {
  return GetText(component_.Language, pVal);
}
HRESULT Vexa_CircleDC::put_Language(BSTR newVal) {
  return PutText(component_.Language, newVal);
}
HRESULT Vexa_CircleDC::get_WindowHandle(LONG* pVal) {
  return GetScalar(component_.WindowHandle, pVal);
}
HRESULT Vexa_CircleDC::get_WindowVisible(LONG* pVal) {
  return GetScalar(component_.WindowVisible, pVal);
}
HRESULT Vexa_CircleDC::put_WindowVisible(LONG newVal) {
  return PutScalar(component_.WindowVisible, newVal);
}

// ---- connecting, preparing and results
// ------------------------------------------------------------

HRESULT Vexa_CircleDC::InitialiseObject(IVexa_link* link, IVexa_axis_position_and_status* ps,
                                        LONG* success) {
  return component_.InitialiseObject(link, ps, success);
}

HRESULT Vexa_CircleDC::GetStartPosition(double* X, double* Y, double* Z, LONG* success) {
  return component_.GetStartPosition(X, Y, Z, success);
}

HRESULT Vexa_CircleDC::EnterProbeOffsets(double X, double Y, double Z) {
  return component_.EnterProbeOffsets(X, Y, Z) ? S_OK : S_FALSE;
}

HRESULT Vexa_CircleDC::GetPerformCircleComplete(LONG* completed, LONG* success) {
  return component_.GetPerformCircleComplete(completed, success);
}

HRESULT Vexa_CircleDC::GetData(EDataType type, double* form, double* radius, double* centreX,
                               double* centreY, double* centreZ, SAFEARRAY** X, SAFEARRAY** Y,
                               SAFEARRAY** Z, LONG* success) {
  if (!form || !radius || !centreX || !centreY || !centreZ || !X || !Y || !Z || !success) {
    return E_POINTER;
  }
  *X = *Y = *Z = nullptr;
  DataSetPoints points;
  const HRESULT hr = component_.GetData(type, &points, success);
  if (FAILED(hr) || *success == 0) {
    return hr;  // no data: the outputs other than the arrays are left as they were
  }
  *form = points.form;
  *radius = points.radius;
  *centreX = points.centre.x();
  *centreY = points.centre.y();
  *centreZ = points.centre.z();
  SAFEARRAY* arrays[] = {ToSafeArray(points.x), ToSafeArray(points.y), ToSafeArray(points.z)};
  if (!arrays[0] || !arrays[1] || !arrays[2]) {
    for (SAFEARRAY* array : arrays) {
      SafeArrayDestroy(array);
    }
    component_.RecordError(ErrorNumber::NoData);
    *success = 0;
    return S_OK;
  }
  *X = arrays[0];
  *Y = arrays[1];
  *Z = arrays[2];
  return S_OK;
}

HRESULT Vexa_CircleDC::SaveData(BSTR filename, LONG* success) {
  const OptionalText name = filename ? OptionalText(Utf8FromBstr(filename)) : std::nullopt;
  return component_.SaveData(name, success);
}

// ---- the viewer
// ----------------------------------------------------------------------------------

HRESULT Vexa_CircleDC::ShowGraphics(INT left, INT top, INT width, INT height, BSTR filename) {
  const OptionalText name = filename ? OptionalText(Utf8FromBstr(filename)) : std::nullopt;
  return component_.ShowGraphics(left, top, width, height, name);
}

HRESULT Vexa_CircleDC::ShowGraphicsComplete() {
  const ComPtr<Vexa_CircleDC> keepAlive(this);  // OnGraphicsClosed handlers may release it
  return component_.ShowGraphicsComplete();
}

HRESULT Vexa_CircleDC::GetGraphicsClosed(LONG* closed) {
  return component_.GetGraphicsClosed(closed);
}

// ---- IConnectionPointContainer ------------------------------------------------------------------

HRESULT Vexa_CircleDC::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
  if (!ppEnum) {
    return E_POINTER;
  }
  *ppEnum = NewConnectionPointsEnumerator({ComPtr<IConnectionPoint>(&events_)});
  return S_OK;
}

HRESULT Vexa_CircleDC::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  if (!ppCP) {
    return E_POINTER;
  }
  *ppCP = nullptr;
  if (riid != DIID__IVexa_CircleDCEvents) {
    return CONNECT_E_NOCONNECTION;
  }
  events_.AddRef();
  *ppCP = &events_;
  return S_OK;
}

namespace ombrixdc {

// ---- creation -----------------------------------------------------------------------------------

HRESULT CreateVexaCircleDC(REFIID riid, void** ppv) {
  if (!ppv) {
    return E_POINTER;
  }
  *ppv = nullptr;
  ComPtr<Vexa_CircleDC> object;
  try {
    object = MakeComObject<Vexa_CircleDC>();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return object->QueryInterface(riid, ppv);
}

IClassFactory* NewVexaCircleDCClassFactory() {
  return NewClassFactory([]() -> IUnknown* {
    return static_cast<IVexa_CircleDC*>(MakeComObject<Vexa_CircleDC>().Detach());
  });
}

}  // namespace ombrixdc
