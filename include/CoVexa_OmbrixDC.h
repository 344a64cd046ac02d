/* Interface definitions of the CoVexa_OmbrixDC type library: circle dynamic compensation for
 * coordinate measuring machines run by the Vexa controller.
 *
 * Laid out as an interface compiler lays out its C++ header: the enumerations, the
 * identifiers, the dual interface IVexa_CircleDC with its operations in the order of its
 * function table, and the event dispatch interface _IVexa_CircleDCEvents. Every `long` of the
 * interface is a 32-bit LONG. */
#pragma once

#include "OmbrixDC_com.h" /* the platform's automation types; installed beside this header */

/* Controller interfaces, defined by the controller's own type library. */
struct IVexa_link;
struct IVexa_axis_position_and_status;

/* Enumerations. Values are stored by clients and never change. */

enum ECircleStatus : int32_t {
  E_OMBRIX_DC_CIRCLE_NOT_INITIALISED = 0,
  E_OMBRIX_DC_CIRCLE_INITIALISED = 1,
  E_OMBRIX_DC_CIRCLE_LEARNING_SLOW_SCAN = 2,
  E_OMBRIX_DC_CIRCLE_LEARNING_FAST_SCAN = 3,
  E_OMBRIX_DC_CIRCLE_REPLAYING_FAST_SCAN = 4,
  E_OMBRIX_DC_CIRCLE_FINISHED = 5,
  E_OMBRIX_DC_CIRCLE_ABORTED = 6,
  E_OMBRIX_DC_CIRCLE_ERROR = 7,
};

enum EMode : int32_t {
  E_OMBRIX_DC_CIRCLE_MODE_INPUT_SPEED = 0,
  E_OMBRIX_DC_CIRCLE_MODE_CAL_FORM = 1,
  E_OMBRIX_DC_CIRCLE_MODE_CAL_DIA = 2,
};

enum ELearning : int32_t {
  E_OMBRIX_DC_CIRCLE_NO_LEARNING = 0,
  E_OMBRIX_DC_CIRCLE_LEARNING = 1,
  E_OMBRIX_DC_CIRCLE_AUTO = 2,
};

enum EOverwriteExistingMap : int32_t {
  E_OMBRIX_DC_CIRCLE_NO_OVERWRITE_EXISTING_MAP = 0,
  E_OMBRIX_DC_CIRCLE_OVERWRITE_EXISTING_MAP = 1,
};

enum EBoreOrBoss : int32_t {
  E_OMBRIX_DC_CIRCLE_BORE = 0,
  E_OMBRIX_DC_CIRCLE_BOSS = 1,
};

enum EScanDirection : int32_t {
  E_OMBRIX_DC_CIRCLE_CLOCKWISE_SCAN = 0,
  E_OMBRIX_DC_CIRCLE_ANTICLOCKWISE_SCAN = 1,
};

enum EScanType : int32_t {
  E_OMBRIX_DC_CIRCLE_KNOWNPT_DISCREET_SCAN = 0,
  E_OMBRIX_DC_CIRCLE_OTHER_SCAN = 1,
};

enum EDataType : int32_t {
  E_OMBRIX_DC_CIRCLE_DATA_SLOW = 0,
  E_OMBRIX_DC_CIRCLE_DATA_FAST = 1,
  E_OMBRIX_DC_CIRCLE_DATA_CORRECTED = 2,
  E_OMBRIX_DC_CIRCLE_DATA_SLOWMAP = 3,
  E_OMBRIX_DC_CIRCLE_DATA_FASTMAP = 4,
  E_OMBRIX_DC_CIRCLE_DATA_CORRECTEDMAP = 5,
};

/* Identifiers. */
inline constexpr GUID LIBID_CoVexa_OmbrixDCLib = {
    0xB84CFBDF, 0x6B23, 0x11D7, {0x93, 0x62, 0x00, 0x50, 0x04, 0x55, 0x35, 0x12}};
inline constexpr IID IID_IVexa_CircleDC = {
    0xB84CFBEB, 0x6B23, 0x11D7, {0x93, 0x62, 0x00, 0x50, 0x04, 0x55, 0x35, 0x12}};
inline constexpr CLSID CLSID_Vexa_CircleDC = {
    0xB84CFBEC, 0x6B23, 0x11D7, {0x93, 0x62, 0x00, 0x50, 0x04, 0x55, 0x35, 0x12}};
inline constexpr IID DIID__IVexa_CircleDCEvents = {
    0xB84CFBED, 0x6B23, 0x11D7, {0x93, 0x62, 0x00, 0x50, 0x04, 0x55, 0x35, 0x12}};

#ifndef __IVexa_CircleDC_INTERFACE_DEFINED__
#define __IVexa_CircleDC_INTERFACE_DEFINED__

/* IVexa_CircleDC: dual, automation-compatible, "IVexa_CircleDC Interface". */
struct IVexa_CircleDC : public IDispatch {
 public:
  /* [helpstring][id(1)] */
  virtual HRESULT STDMETHODCALLTYPE PerformCircle() = 0;
  /* [helpstring][id(2)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_Status(/* [retval][out] */ ECircleStatus* pVal) = 0;
  /* [helpstring][id(3)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_ModeParameter(/* [retval][out] */ double* pVal) = 0;
  /* [helpstring][id(3)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_ModeParameter(/* [in] */ double newVal) = 0;
  /* [helpstring][id(4)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_FilterNumber(/* [retval][out] */ LONG* pVal) = 0;
  /* [helpstring][id(4)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_FilterNumber(/* [in] */ LONG newVal) = 0;
  /* [helpstring][id(5)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_TipRadius(/* [retval][out] */ double* pVal) = 0;
  /* [helpstring][id(5)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_TipRadius(/* [in] */ double newVal) = 0;
  /* [helpstring][id(6)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_FeatureRadius(/* [retval][out] */ double* pVal) = 0;
  /* [helpstring][id(6)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_FeatureRadius(/* [in] */ double newVal) = 0;
  /* [helpstring][id(7)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_Mode(/* [retval][out] */ EMode* pVal) = 0;
  /* [helpstring][id(7)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_Mode(/* [in] */ EMode newVal) = 0;
  /* [helpstring][id(8)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_Learning(/* [retval][out] */ ELearning* pVal) = 0;
  /* [helpstring][id(8)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_Learning(/* [in] */ ELearning newVal) = 0;
  /* [helpstring][id(9)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_SlowSpeed(/* [retval][out] */ double* pVal) = 0;
  /* [helpstring][id(9)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_SlowSpeed(/* [in] */ double newVal) = 0;
  /* [helpstring][id(10)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_ScanDeflection(/* [retval][out] */ double* pVal) = 0;
  /* [helpstring][id(10)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_ScanDeflection(/* [in] */ double newVal) = 0;
  /* [helpstring][id(11)][propget] */
  virtual HRESULT STDMETHODCALLTYPE
  get_Overwrite(/* [retval][out] */ EOverwriteExistingMap* pVal) = 0;
  /* [helpstring][id(11)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_Overwrite(/* [in] */ EOverwriteExistingMap newVal) = 0;
  /* [helpstring][id(12)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_BoreOrBoss(/* [retval][out] */ EBoreOrBoss* pVal) = 0;
  /* [helpstring][id(12)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_BoreOrBoss(/* [in] */ EBoreOrBoss newVal) = 0;
  /* [helpstring][id(13)] */
  virtual HRESULT STDMETHODCALLTYPE ShowGraphics(/* [optional][in] */ INT left,
                                                 /* [optional][in] */ INT top,
                                                 /* [optional][in] */ INT width,
                                                 /* [optional][in] */ INT height,
                                                 /* [optional][in] */ BSTR filename) = 0;
  /* [helpstring][id(14)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_ScanDirection(/* [retval][out] */ EScanDirection* pVal) = 0;
  /* [helpstring][id(14)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_ScanDirection(/* [in] */ EScanDirection newVal) = 0;
  /* [helpstring][id(15)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_ScanType(/* [retval][out] */ EScanType* pVal) = 0;
  /* [helpstring][id(15)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_ScanType(/* [in] */ EScanType newVal) = 0;
  /* [helpstring][id(16)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_MaxScanSpeed(/* [retval][out] */ double* pVal) = 0;
  /* [helpstring][id(16)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_MaxScanSpeed(/* [in] */ double newVal) = 0;
  /* [helpstring][id(17)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_IniFilepath(/* [retval][out] */ BSTR* pVal) = 0;
  /* [helpstring][id(17)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_IniFilepath(/* [in] */ BSTR newVal) = 0;
  /* [helpstring][id(18)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_WorkingFolder(/* [retval][out] */ BSTR* pVal) = 0;
  /* [helpstring][id(18)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_WorkingFolder(/* [in] */ BSTR newVal) = 0;
  /* [helpstring][id(19)] */
  virtual HRESULT STDMETHODCALLTYPE GetData(/* [in] */ EDataType type,
                                            /* [out] */ double* form,
                                            /* [out] */ double* radius,
                                            /* [out] */ double* centreX,
                                            /* [out] */ double* centreY,
                                            /* [out] */ double* centreZ,
                                            /* [out] */ SAFEARRAY** X,
                                            /* [out] */ SAFEARRAY** Y,
                                            /* [out] */ SAFEARRAY** Z,
                                            /* [retval][out] */ LONG* success) = 0;
  /* [helpstring][id(20)] */
  virtual HRESULT STDMETHODCALLTYPE
  GetCurrentCircleStatus(/* [retval][out] */ ECircleStatus* Status) = 0;
  /* [helpstring][id(21)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_GetLastError(/* [retval][out] */ LONG* pVal) = 0;
  /* [helpstring][id(22)] */
  virtual HRESULT STDMETHODCALLTYPE Abort() = 0;
  /* [helpstring][id(23)] */
  virtual HRESULT STDMETHODCALLTYPE EnterProbeOffsets(/* [in] */ double X, /* [in] */ double Y,
                                                      /* [in] */ double Z) = 0;
  /* [helpstring][id(24)] */
  virtual HRESULT STDMETHODCALLTYPE GetStartPosition(/* [out] */ double* X,
                                                     /* [out] */ double* Y,
                                                     /* [out] */ double* Z,
                                                     /* [retval][out] */ LONG* success) = 0;
  /* [helpstring("method Initialise")][id(25)] */
  virtual HRESULT STDMETHODCALLTYPE InitialiseObject(/* [in] */ IVexa_link* link,
                                                     /* [in] */ IVexa_axis_position_and_status* ps,
                                                     /* [retval][out] */ LONG* success) = 0;
  /* [helpstring][id(26)] */
  virtual HRESULT STDMETHODCALLTYPE GetPerformCircleComplete(/* [out] */ LONG* completed,
                                                             /* [out] */ LONG* success) = 0;
  /* [helpstring][id(27)] */
  virtual HRESULT STDMETHODCALLTYPE SaveData(/* [in] */ BSTR filename,
                                             /* [retval][out] */ LONG* success) = 0;
  /* [helpstring][id(28)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_OfflineTesting(/* [in] */ LONG newVal) = 0;
  /* [helpstring][id(29)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_SaveRawData(/* [in] */ LONG newVal) = 0;
  /* [helpstring][id(30)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_HeaderInfo1(/* [retval][out] */ BSTR* pVal) = 0;
  /* [helpstring][id(30)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_HeaderInfo1(/* [in] */ BSTR newVal) = 0;
  /* [helpstring][id(31)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_HeaderInfo2(/* [retval][out] */ BSTR* pVal) = 0;
  /* [helpstring][id(31)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_HeaderInfo2(/* [in] */ BSTR newVal) = 0;
  /* [helpstring][id(32)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_HeaderInfo3(/* [retval][out] */ BSTR* pVal) = 0;
  /* [helpstring][id(32)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_HeaderInfo3(/* [in] */ BSTR newVal) = 0;
  /* [helpstring][id(33)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_HeaderInfo4(/* [retval][out] */ BSTR* pVal) = 0;
  /* [helpstring][id(33)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_HeaderInfo4(/* [in] */ BSTR newVal) = 0;
  /* [helpstring][id(34)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_HeaderInfo5(/* [retval][out] */ BSTR* pVal) = 0;
  /* [helpstring][id(34)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_HeaderInfo5(/* [in] */ BSTR newVal) = 0;
  /* [helpstring][id(35)] */
  virtual HRESULT STDMETHODCALLTYPE ShowGraphicsComplete() = 0;
  /* [helpstring][id(36)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_FilterMethod(/* [in] */ LONG newVal) = 0;
  /* [helpstring][id(37)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_Language(/* [retval][out] */ BSTR* pVal) = 0;
  /* [helpstring][id(37)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_Language(/* [in] */ BSTR newVal) = 0;
  /* [helpstring][id(38)] */
  virtual HRESULT STDMETHODCALLTYPE GetGraphicsClosed(/* [retval][out] */ LONG* closed) = 0;
  /* [helpstring][id(39)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_WindowHandle(/* [retval][out] */ LONG* pVal) = 0;
  /* [helpstring][id(40)][propget] */
  virtual HRESULT STDMETHODCALLTYPE get_WindowVisible(/* [retval][out] */ LONG* pVal) = 0;
  /* [helpstring][id(40)][propput] */
  virtual HRESULT STDMETHODCALLTYPE put_WindowVisible(/* [in] */ LONG newVal) = 0;

 protected:
  ~IVexa_CircleDC() = default; /* objects go with their last Release, never through here */
};
OMBRIXDC_INTERFACE_ID(IVexa_CircleDC, IID_IVexa_CircleDC);

#endif /* __IVexa_CircleDC_INTERFACE_DEFINED__ */

#ifndef ___IVexa_CircleDCEvents_DISPINTERFACE_DEFINED__
#define ___IVexa_CircleDCEvents_DISPINTERFACE_DEFINED__

/* _IVexa_CircleDCEvents: the events, "_IVexa_CircleDCEvents Interface". A pure dispatch
 * interface: a client's sink answers it through IDispatch::Invoke with these DISPIDs.
 *   1 OnStatusChange([in] ECircleStatus CurrentStatus)
 *   2 PerformCircleComplete([in] long success)
 *   3 OnGraphicsClosed() */
struct _IVexa_CircleDCEvents : public IDispatch {
 protected:
  ~_IVexa_CircleDCEvents() = default;
};
OMBRIXDC_INTERFACE_ID(_IVexa_CircleDCEvents, DIID__IVexa_CircleDCEvents);

inline constexpr DISPID DISPID_OnStatusChange = 1;
inline constexpr DISPID DISPID_PerformCircleComplete = 2;
inline constexpr DISPID DISPID_OnGraphicsClosed = 3;

#endif /* ___IVexa_CircleDCEvents_DISPINTERFACE_DEFINED__ */

/* Vexa_CircleDC: "Vexa_CircleDC Class", default interface IVexa_CircleDC, default source
 * _IVexa_CircleDCEvents; created through the class factory of CLSID_Vexa_CircleDC. */
class Vexa_CircleDC;
