#include "src/component/automation/type_library.h"

#include <type_traits>

#include "platform/vexa/interfaces.h"

namespace ombrixdc {

namespace {

// ---- calls into the function table -------------------------------------------------------------

template <class MemberPointer>
struct SingleParam;
template <class A>
struct SingleParam<HRESULT (IVexa_CircleDC::*)(A)> {
  using type = A;
};

template <class T>
void Store(ArgumentValue& slot, T value) {
  if constexpr (std::is_same_v<T, double>) {
    slot.real = value;
  } else if constexpr (std::is_same_v<T, BSTR>) {
    slot.text = value;
  } else {
    slot.integer = static_cast<LONG>(value);  // LONG, INT and the enumerations
  }
}

template <class T>
T Load(const ArgumentValue& slot) {
  if constexpr (std::is_same_v<T, double>) {
    return slot.real;
  } else if constexpr (std::is_same_v<T, BSTR>) {
    return slot.text;
  } else {
    return static_cast<T>(slot.integer);
  }
}

// A property get (or a method whose one parameter is its result).
template <auto Get>
HRESULT CallGet(IVexa_CircleDC& object, ArgumentValue* args) {
  using T = std::remove_pointer_t<typename SingleParam<decltype(Get)>::type>;
  T value{};
  const HRESULT hr = (object.*Get)(&value);
  Store(args[0], value);
  return hr;
}

template <auto Put>
HRESULT CallPut(IVexa_CircleDC& object, ArgumentValue* args) {
  using T = typename SingleParam<decltype(Put)>::type;
  return (object.*Put)(Load<T>(args[0]));
}

template <auto Method>
HRESULT CallPlain(IVexa_CircleDC& object, ArgumentValue*) {
  return (object.*Method)();
}

HRESULT CallShowGraphics(IVexa_CircleDC& o, ArgumentValue* a) {
  return o.ShowGraphics(a[0].integer, a[1].integer, a[2].integer, a[3].integer, a[4].text);
}

HRESULT CallGetData(IVexa_CircleDC& o, ArgumentValue* a) {
  return o.GetData(static_cast<EDataType>(a[0].integer), &a[1].real, &a[2].real, &a[3].real,
                   &a[4].real, &a[5].real, &a[6].array, &a[7].array, &a[8].array, &a[9].integer);
}

HRESULT CallEnterProbeOffsets(IVexa_CircleDC& o, ArgumentValue* a) {
  return o.EnterProbeOffsets(a[0].real, a[1].real, a[2].real);
}

HRESULT CallGetStartPosition(IVexa_CircleDC& o, ArgumentValue* a) {
  return o.GetStartPosition(&a[0].real, &a[1].real, &a[2].real, &a[3].integer);
}

HRESULT CallInitialiseObject(IVexa_CircleDC& o, ArgumentValue* a) {
  return o.InitialiseObject(static_cast<IVexa_link*>(a[0].object),
                            static_cast<IVexa_axis_position_and_status*>(a[1].object),
                            &a[2].integer);
}

HRESULT CallGetPerformCircleComplete(IVexa_CircleDC& o, ArgumentValue* a) {
  return o.GetPerformCircleComplete(&a[0].integer, &a[1].integer);
}

HRESULT CallSaveData(IVexa_CircleDC& o, ArgumentValue* a) {
  return o.SaveData(a[0].text, &a[1].integer);
}

// ---- types and parameter lists
// -------------------------------------------------------------------

inline constexpr IID IID_IVexa_ActiveHeadStatus = {
    0x907EF631, 0xF227, 0x11D6, {0x94, 0xB4, 0x00, 0x10, 0x5A, 0xA5, 0x65, 0x2E}};

constexpr TypeRef kDouble{ValueType::Double};
constexpr TypeRef kLong{ValueType::Long};
constexpr TypeRef kInt{ValueType::Int};
constexpr TypeRef kBstr{ValueType::Bstr};
constexpr TypeRef kDoubleArray{ValueType::DoubleArray};
constexpr TypeRef kLink{ValueType::Interface, "IVexa_link", &IID_IVexa_link};
constexpr TypeRef kAxisStatus{ValueType::Interface, "IVexa_axis_position_and_status",
                              &IID_IVexa_axis_position_and_status};

constexpr ParamDirection In = ParamDirection::In;
constexpr ParamDirection Out = ParamDirection::Out;
constexpr ParamDirection Retval = ParamDirection::OutRetval;

// The get (pVal) and put (newVal) parameter lists of a property of each type. A read-only
// property (Status) has no put, so a put list may go unused.
#define OMBRIXDC_PROPERTY_PARAMS(Tag, typeRef)                          \
  constexpr ParamDescription kGet##Tag[] = {{"pVal", typeRef, Retval}}; \
  [[maybe_unused]] constexpr ParamDescription kPut##Tag[] = {{"newVal", typeRef, In}};
OMBRIXDC_PROPERTY_PARAMS(Double, kDouble)
OMBRIXDC_PROPERTY_PARAMS(Long, kLong)
OMBRIXDC_PROPERTY_PARAMS(Bstr, kBstr)
OMBRIXDC_PROPERTY_PARAMS(Status, (TypeRef{ValueType::Enumeration, "ECircleStatus"}))
OMBRIXDC_PROPERTY_PARAMS(Mode, (TypeRef{ValueType::Enumeration, "EMode"}))
OMBRIXDC_PROPERTY_PARAMS(Learning, (TypeRef{ValueType::Enumeration, "ELearning"}))
OMBRIXDC_PROPERTY_PARAMS(Overwrite, (TypeRef{ValueType::Enumeration, "EOverwriteExistingMap"}))
OMBRIXDC_PROPERTY_PARAMS(BoreOrBoss, (TypeRef{ValueType::Enumeration, "EBoreOrBoss"}))
OMBRIXDC_PROPERTY_PARAMS(ScanDirection, (TypeRef{ValueType::Enumeration, "EScanDirection"}))
OMBRIXDC_PROPERTY_PARAMS(ScanType, (TypeRef{ValueType::Enumeration, "EScanType"}))
#undef OMBRIXDC_PROPERTY_PARAMS

constexpr TypeRef kStatusType{ValueType::Enumeration, "ECircleStatus"};
constexpr TypeRef kDataType{ValueType::Enumeration, "EDataType"};

constexpr ParamDescription kShowGraphics[] = {
    {"left", kInt, In, true},   {"top", kInt, In, true},       {"width", kInt, In, true},
    {"height", kInt, In, true}, {"filename", kBstr, In, true},
};
constexpr ParamDescription kGetData[] = {
    {"type", kDataType, In},    {"form", kDouble, Out},    {"radius", kDouble, Out},
    {"centreX", kDouble, Out},  {"centreY", kDouble, Out}, {"centreZ", kDouble, Out},
    {"X", kDoubleArray, Out},   {"Y", kDoubleArray, Out},  {"Z", kDoubleArray, Out},
    {"success", kLong, Retval},
};
constexpr ParamDescription kGetCurrentCircleStatus[] = {{"Status", kStatusType, Retval}};
constexpr ParamDescription kEnterProbeOffsets[] = {
    {"X", kDouble, In}, {"Y", kDouble, In}, {"Z", kDouble, In}};
constexpr ParamDescription kGetStartPosition[] = {
    {"X", kDouble, Out}, {"Y", kDouble, Out}, {"Z", kDouble, Out}, {"success", kLong, Retval}};
constexpr ParamDescription kInitialiseObject[] = {
    {"link", kLink, In}, {"ps", kAxisStatus, In}, {"success", kLong, Retval}};
constexpr ParamDescription kGetPerformCircleComplete[] = {{"completed", kLong, Out},
                                                          {"success", kLong, Out}};
constexpr ParamDescription kSaveData[] = {{"filename", kBstr, In}, {"success", kLong, Retval}};
constexpr ParamDescription kGetGraphicsClosed[] = {{"closed", kLong, Retval}};

constexpr ParamDescription kOnStatusChange[] = {{"CurrentStatus", kStatusType, In}};
constexpr ParamDescription kPerformCircleComplete[] = {{"success", kLong, In}};

// ---- the members, in the order of the interface's function table
// ---------------------------------

using I = IVexa_CircleDC;
constexpr MemberKind Method = MemberKind::Method;
constexpr MemberKind Get = MemberKind::PropertyGet;
constexpr MemberKind Put = MemberKind::PropertyPut;

const MemberDescription kAutomationMembers[] = {
    {1, Method, "PerformCircle", "method PerformCircle", {}, &CallPlain<&I::PerformCircle>},
    {2, Get, "Status", "property Status", kGetStatus, &CallGet<&I::get_Status>},
    {3, Get, "ModeParameter", "property ModeParameter", kGetDouble,
     &CallGet<&I::get_ModeParameter>},
    {3, Put, "ModeParameter", "property ModeParameter", kPutDouble,
     &CallPut<&I::put_ModeParameter>},
    {4, Get, "FilterNumber", "property FilterNumber", kGetLong, &CallGet<&I::get_FilterNumber>},
    {4, Put, "FilterNumber", "property FilterNumber", kPutLong, &CallPut<&I::put_FilterNumber>},
    {5, Get, "TipRadius", "property TipRadius", kGetDouble, &CallGet<&I::get_TipRadius>},
    {5, Put, "TipRadius", "property TipRadius", kPutDouble, &CallPut<&I::put_TipRadius>},
    {6, Get, "FeatureRadius", "property FeatureRadius", kGetDouble,
     &CallGet<&I::get_FeatureRadius>},
    {6, Put, "FeatureRadius", "property FeatureRadius", kPutDouble,
     &CallPut<&I::put_FeatureRadius>},
    {7, Get, "Mode", "property Mode", kGetMode, &CallGet<&I::get_Mode>},
    {7, Put, "Mode", "property Mode", kPutMode, &CallPut<&I::put_Mode>},
    {8, Get, "Learning", "property Learning", kGetLearning, &CallGet<&I::get_Learning>},
    {8, Put, "Learning", "property Learning", kPutLearning, &CallPut<&I::put_Learning>},
    {9, Get, "SlowSpeed", "property SlowSpeed", kGetDouble, &CallGet<&I::get_SlowSpeed>},
    {9, Put, "SlowSpeed", "property SlowSpeed", kPutDouble, &CallPut<&I::put_SlowSpeed>},
    {10, Get, "ScanDeflection", "property ScanDeflection", kGetDouble,
     &CallGet<&I::get_ScanDeflection>},
    {10, Put, "ScanDeflection", "property ScanDeflection", kPutDouble,
     &CallPut<&I::put_ScanDeflection>},
    {11, Get, "Overwrite", "property Overwrite", kGetOverwrite, &CallGet<&I::get_Overwrite>},
    {11, Put, "Overwrite", "property Overwrite", kPutOverwrite, &CallPut<&I::put_Overwrite>},
    {12, Get, "BoreOrBoss", "property BoreOrBoss", kGetBoreOrBoss, &CallGet<&I::get_BoreOrBoss>},
    {12, Put, "BoreOrBoss", "property BoreOrBoss", kPutBoreOrBoss, &CallPut<&I::put_BoreOrBoss>},
    {13, Method, "ShowGraphics", "method ShowGraphics", kShowGraphics, &CallShowGraphics},
    {14, Get, "ScanDirection", "property ScanDirection", kGetScanDirection,
     &CallGet<&I::get_ScanDirection>},
    {14, Put, "ScanDirection", "property ScanDirection", kPutScanDirection,
     &CallPut<&I::put_ScanDirection>},
    {15, Get, "ScanType", "property ScanType", kGetScanType, &CallGet<&I::get_ScanType>},
    {15, Put, "ScanType", "property ScanType", kPutScanType, &CallPut<&I::put_ScanType>},
    {16, Get, "MaxScanSpeed", "property MaxScanSpeed", kGetDouble, &CallGet<&I::get_MaxScanSpeed>},
    {16, Put, "MaxScanSpeed", "property MaxScanSpeed", kPutDouble, &CallPut<&I::put_MaxScanSpeed>},
    {17, Get, "IniFilepath", "property IniFilepath", kGetBstr, &CallGet<&I::get_IniFilepath>},
    {17, Put, "IniFilepath", "property IniFilepath", kPutBstr, &CallPut<&I::put_IniFilepath>},
    {18, Get, "WorkingFolder", "property WorkingFolder", kGetBstr, &CallGet<&I::get_WorkingFolder>},
    {18, Put, "WorkingFolder", "property WorkingFolder", kPutBstr, &CallPut<&I::put_WorkingFolder>},
    {19, Method, "GetData", "method GetData", kGetData, &CallGetData},
    {20, Method, "GetCurrentCircleStatus", "method GetCurrentCircleStatus", kGetCurrentCircleStatus,
     &CallGet<&I::GetCurrentCircleStatus>},
    {21, Get, "GetLastError", "property GetLastError", kGetLong, &CallGet<&I::get_GetLastError>},
    {22, Method, "Abort", "method Abort", {}, &CallPlain<&I::Abort>},
    {23, Method, "EnterProbeOffsets", "method EnterProbeOffsets", kEnterProbeOffsets,
     &CallEnterProbeOffsets},
    {24, Method, "GetStartPosition", "method GetStartPosition", kGetStartPosition,
     &CallGetStartPosition},
    {25, Method, "InitialiseObject", "method Initialise", kInitialiseObject, &CallInitialiseObject},
    {26, Method, "GetPerformCircleComplete", "method GetPerformCircleComplete",
     kGetPerformCircleComplete, &CallGetPerformCircleComplete},
    {27, Method, "SaveData", "method SaveData", kSaveData, &CallSaveData},
    {28, Put, "OfflineTesting", "property OfflineTesting", kPutLong,
     &CallPut<&I::put_OfflineTesting>},
    {29, Put, "SaveRawData", "property SaveRawData", kPutLong, &CallPut<&I::put_SaveRawData>},
    {30, Get, "HeaderInfo1", "property HeaderInfo1", kGetBstr, &CallGet<&I::get_HeaderInfo1>},
    {30, Put, "HeaderInfo1", "property HeaderInfo1", kPutBstr, &CallPut<&I::put_HeaderInfo1>},
    {31, Get, "HeaderInfo2", "property HeaderInfo2", kGetBstr, &CallGet<&I::get_HeaderInfo2>},
    {31, Put, "HeaderInfo2", "property HeaderInfo2", kPutBstr, &CallPut<&I::put_HeaderInfo2>},
    {32, Get, "HeaderInfo3", "property HeaderInfo3", kGetBstr, &CallGet<&I::get_HeaderInfo3>},
    {32, Put, "HeaderInfo3", "property HeaderInfo3", kPutBstr, &CallPut<&I::put_HeaderInfo3>},
    {33, Get, "HeaderInfo4", "property HeaderInfo4", kGetBstr, &CallGet<&I::get_HeaderInfo4>},
    {33, Put, "HeaderInfo4", "property HeaderInfo4", kPutBstr, &CallPut<&I::put_HeaderInfo4>},
    {34, Get, "HeaderInfo5", "property HeaderInfo5", kGetBstr, &CallGet<&I::get_HeaderInfo5>},
    {34, Put, "HeaderInfo5", "property HeaderInfo5", kPutBstr, &CallPut<&I::put_HeaderInfo5>},
    {35,
     Method,
     "ShowGraphicsComplete",
     "method ShowGraphicsComplete",
     {},
     &CallPlain<&I::ShowGraphicsComplete>},
    {36, Put, "FilterMethod", "property FilterMethod", kPutLong, &CallPut<&I::put_FilterMethod>},
    {37, Get, "Language", "property Language", kGetBstr, &CallGet<&I::get_Language>},
    {37, Put, "Language", "property Language", kPutBstr, &CallPut<&I::put_Language>},
    {38, Method, "GetGraphicsClosed", "method GetGraphicsClosed", kGetGraphicsClosed,
     &CallGet<&I::GetGraphicsClosed>},
    {39, Get, "WindowHandle", "property WindowHandle", kGetLong, &CallGet<&I::get_WindowHandle>},
    {40, Get, "WindowVisible", "property WindowVisible", kGetLong, &CallGet<&I::get_WindowVisible>},
    {40, Put, "WindowVisible", "property WindowVisible", kPutLong, &CallPut<&I::put_WindowVisible>},
};

const MemberDescription kEventMembers[] = {
    {DISPID_OnStatusChange, Method, "OnStatusChange", "method OnStatusChange", kOnStatusChange},
    {DISPID_PerformCircleComplete, Method, "PerformCircleComplete", "method PerformCircleComplete",
     kPerformCircleComplete},
    {DISPID_OnGraphicsClosed, Method, "OnGraphicsClosed", "method OnGraphicsClosed", {}},
};

// ---- enumerations and the library
// ----------------------------------------------------------------

constexpr std::string_view kCircleStatus[] = {"E_OMBRIX_DC_CIRCLE_NOT_INITIALISED",
                                              "E_OMBRIX_DC_CIRCLE_INITIALISED",
                                              "E_OMBRIX_DC_CIRCLE_LEARNING_SLOW_SCAN",
                                              "E_OMBRIX_DC_CIRCLE_LEARNING_FAST_SCAN",
                                              "E_OMBRIX_DC_CIRCLE_REPLAYING_FAST_SCAN",
                                              "E_OMBRIX_DC_CIRCLE_FINISHED",
                                              "E_OMBRIX_DC_CIRCLE_ABORTED",
                                              "E_OMBRIX_DC_CIRCLE_ERROR"};
constexpr std::string_view kMode[] = {"E_OMBRIX_DC_CIRCLE_MODE_INPUT_SPEED",
                                      "E_OMBRIX_DC_CIRCLE_MODE_CAL_FORM",
                                      "E_OMBRIX_DC_CIRCLE_MODE_CAL_DIA"};
constexpr std::string_view kLearning[] = {"E_OMBRIX_DC_CIRCLE_NO_LEARNING",
                                          "E_OMBRIX_DC_CIRCLE_LEARNING", "E_OMBRIX_DC_CIRCLE_AUTO"};
constexpr std::string_view kOverwrite[] = {"E_OMBRIX_DC_CIRCLE_NO_OVERWRITE_EXISTING_MAP",
                                           "E_OMBRIX_DC_CIRCLE_OVERWRITE_EXISTING_MAP"};
constexpr std::string_view kBoreOrBoss[] = {"E_OMBRIX_DC_CIRCLE_BORE", "E_OMBRIX_DC_CIRCLE_BOSS"};
constexpr std::string_view kScanDirection[] = {"E_OMBRIX_DC_CIRCLE_CLOCKWISE_SCAN",
                                               "E_OMBRIX_DC_CIRCLE_ANTICLOCKWISE_SCAN"};
constexpr std::string_view kScanType[] = {"E_OMBRIX_DC_CIRCLE_KNOWNPT_DISCREET_SCAN",
                                          "E_OMBRIX_DC_CIRCLE_OTHER_SCAN"};
constexpr std::string_view kDataTypes[] = {
    "E_OMBRIX_DC_CIRCLE_DATA_SLOW",      "E_OMBRIX_DC_CIRCLE_DATA_FAST",
    "E_OMBRIX_DC_CIRCLE_DATA_CORRECTED", "E_OMBRIX_DC_CIRCLE_DATA_SLOWMAP",
    "E_OMBRIX_DC_CIRCLE_DATA_FASTMAP",   "E_OMBRIX_DC_CIRCLE_DATA_CORRECTEDMAP"};

const EnumDescription kEnumerations[] = {
    {"ECircleStatus", kCircleStatus}, {"EMode", kMode},
    {"ELearning", kLearning},         {"EOverwriteExistingMap", kOverwrite},
    {"EBoreOrBoss", kBoreOrBoss},     {"EScanDirection", kScanDirection},
    {"EScanType", kScanType},         {"EDataType", kDataTypes},
};

const ExternalInterface kExternals[] = {
    {"IVexa_link", IID_IVexa_link},
    {"IVexa_axis_position_and_status", IID_IVexa_axis_position_and_status},
    {"IVexa_ActiveHeadStatus", IID_IVexa_ActiveHeadStatus},
};

const TypeLibraryDescription kLibrary = {
    "CoVexa_OmbrixDCLib",
    "CoVexa_OmbrixDC 1.0 Type Library",
    LIBID_CoVexa_OmbrixDCLib,
    1,
    0,
    0x409,
    kEnumerations,
    kExternals,
    {"IVexa_CircleDC", IID_IVexa_CircleDC, "IVexa_CircleDC Interface", false, kAutomationMembers},
    {"_IVexa_CircleDCEvents", DIID__IVexa_CircleDCEvents, "_IVexa_CircleDCEvents Interface", true,
     kEventMembers},
    {"Vexa_CircleDC", CLSID_Vexa_CircleDC, "Vexa_CircleDC Class"},
};

}  // namespace

const TypeLibraryDescription& CircleDCTypeLibrary() {
  return kLibrary;
}

}  // namespace ombrixdc
