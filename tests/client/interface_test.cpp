// The object as a client sees it through the header and the function table: its interfaces,
// its names, and every operation by slot, by typed call and by Invoke.
#include <cctype>
#include <cstring>

#include "tests/client/client_support.h"
#include "tests/support/circle_dc_interface_table.h"
#include "tests/support/isolated_registry.h"

namespace {

// No test of this program reads or writes the user's real registry store.
const IsolatedRegistry programRegistry;

// The operations of the interface follow IUnknown's three and IDispatch's four.
constexpr int kFirstSlot = 7;

// The function in the object's table at the row of the interface's definition, called the way
// the platform calls interface methods: the object pointer first.
template <class... Args>
HRESULT CallSlot(IVexa_CircleDC* object, int row, Args... args) {
  using Function = HRESULT (*)(IVexa_CircleDC*, Args...);
  void* const* table = *reinterpret_cast<void* const* const*>(object);
  Function function;
  std::memcpy(&function, &table[kFirstSlot + row - 1], sizeof function);
  return function(object, args...);
}

ComPtr<IDispatch> DispatchOf(const ComPtr<IVexa_CircleDC>& object) {
  ComPtr<IDispatch> dispatch;
  EXPECT_EQ(object.As(&dispatch), S_OK);
  return dispatch;
}

TEST(ClientInterface, AnswersForItsFourInterfacesOnly) {
  ComPtr<IVexa_CircleDC> object = CreateFromFactory();
  ASSERT_TRUE(object);
  ComPtr<IUnknown> unknown;
  ComPtr<IDispatch> dispatch;
  ComPtr<IConnectionPointContainer> container;
  EXPECT_EQ(object.As(&unknown), S_OK);
  EXPECT_EQ(object.As(&dispatch), S_OK);
  EXPECT_EQ(object.As(&container), S_OK);
  // The dispatch interface is the dual interface itself; IUnknown is the object's identity.
  EXPECT_EQ(static_cast<void*>(dispatch.Get()), static_cast<void*>(object.Get()));
  ComPtr<IUnknown> identity;
  container.As(&identity);
  EXPECT_EQ(identity.Get(), unknown.Get());

  const IID refused[] = {
      IID_IClassFactory,
      IID_IConnectionPoint,
      DIID__IVexa_CircleDCEvents,
      {0xB196B283, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}},  // class info
  };
  for (const IID& iid : refused) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(iid, &p), E_NOINTERFACE) << FormatGuid(iid);
    EXPECT_EQ(p, nullptr);
  }

  // One connection point, for the events.
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(
      container->FindConnectionPoint(DIID__IVexa_CircleDCEvents, point.ReleaseAndGetAddressOf()),
      S_OK);
  ComPtr<IConnectionPoint> none;
  EXPECT_EQ(container->FindConnectionPoint(IID_IVexa_CircleDC, none.ReleaseAndGetAddressOf()),
            CONNECT_E_NOCONNECTION);
  UINT typeInfos = 9;
  EXPECT_EQ(dispatch->GetTypeInfoCount(&typeInfos), S_OK);
  EXPECT_EQ(typeInfos, 0u);
}

TEST(ClientInterface, EveryNameBindsToItsDispid) {
  ComPtr<IDispatch> object = DispatchOf(CreateFromFactory());
  for (const InterfaceRow& row : kCircleDCInterface) {
    EXPECT_EQ(IdOf(object.Get(), row.name), row.dispid) << row.name;
    std::string lower = row.name;
    for (char& c : lower)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(IdOf(object.Get(), lower.c_str()), row.dispid) << lower;
  }
  ComBstr unknown("PerformCircles");
  LPOLESTR names[] = {unknown.Get()};
  DISPID id = 0;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
}

struct PropertyCase {
  const char* name;
  int getRow;
  int putRow;
  char type;  // 'd' double, 'l' 32-bit integer or enumeration, 's' string
};

constexpr PropertyCase kProperties[] = {
    {"ModeParameter", 3, 4, 'd'},   {"FilterNumber", 5, 6, 'l'},     {"TipRadius", 7, 8, 'd'},
    {"FeatureRadius", 9, 10, 'd'},  {"Mode", 11, 12, 'l'},           {"Learning", 13, 14, 'l'},
    {"SlowSpeed", 15, 16, 'd'},     {"ScanDeflection", 17, 18, 'd'}, {"Overwrite", 19, 20, 'l'},
    {"BoreOrBoss", 21, 22, 'l'},    {"ScanDirection", 24, 25, 'l'},  {"ScanType", 26, 27, 'l'},
    {"MaxScanSpeed", 28, 29, 'd'},  {"IniFilepath", 30, 31, 's'},    {"WorkingFolder", 32, 33, 's'},
    {"HeaderInfo1", 45, 46, 's'},   {"HeaderInfo2", 47, 48, 's'},    {"HeaderInfo3", 49, 50, 's'},
    {"HeaderInfo4", 51, 52, 's'},   {"HeaderInfo5", 53, 54, 's'},    {"Language", 57, 58, 's'},
    {"WindowVisible", 61, 62, 'l'},
};

// Put through Invoke, read through the function table; put through the table, read through
// Invoke. Each value is particular to its property, so a crossed slot or DISPID shows.
TEST(ClientInterface, EveryPropertyRoundTripsThroughInvokeAndTheFunctionTable) {
  ComPtr<IVexa_CircleDC> object = CreateFromFactory();
  IDispatch* dispatch = object.Get();
  for (const PropertyCase& p : kProperties) {
    SCOPED_TRACE(p.name);
    ComVariant got;
    if (p.type == 'd') {
      ASSERT_EQ(PutByName(dispatch, p.name, Real(p.getRow + 0.25)), S_OK);
      double value = 0;
      ASSERT_EQ(CallSlot(object.Get(), p.getRow, &value), S_OK);
      EXPECT_EQ(value, p.getRow + 0.25);
      ASSERT_EQ(CallSlot(object.Get(), p.putRow, -(p.putRow + 0.5)), S_OK);
      ASSERT_EQ(CallByName(dispatch, p.name, DISPATCH_PROPERTYGET, {}, &got), S_OK);
      EXPECT_EQ(got.vt, VT_R8);
      EXPECT_EQ(got.dblVal, -(p.putRow + 0.5));
    } else if (p.type == 'l') {
      ASSERT_EQ(PutByName(dispatch, p.name, Long(p.getRow)), S_OK);
      LONG value = 0;
      ASSERT_EQ(CallSlot(object.Get(), p.getRow, &value), S_OK);
      EXPECT_EQ(value, p.getRow);
      ASSERT_EQ(CallSlot(object.Get(), p.putRow, LONG{p.putRow + 100}), S_OK);
      ASSERT_EQ(CallByName(dispatch, p.name, DISPATCH_PROPERTYGET, {}, &got), S_OK);
      EXPECT_EQ(got.vt, VT_I4);
      EXPECT_EQ(got.lVal, p.putRow + 100);
    } else {
      const std::string first = std::string("first ") + p.name;
      const std::string second = std::string("zweite Größe ") + p.name;
      ASSERT_EQ(PutTextByName(dispatch, p.name, first), S_OK);
      ComBstr value;
      ASSERT_EQ(CallSlot(object.Get(), p.getRow, value.Receive()), S_OK);
      EXPECT_EQ(value.Utf8(), first);
      ComBstr next(second);
      ASSERT_EQ(CallSlot(object.Get(), p.putRow, next.Get()), S_OK);
      ASSERT_EQ(CallByName(dispatch, p.name, DISPATCH_PROPERTYGET, {}, &got), S_OK);
      EXPECT_EQ(got.vt, VT_BSTR);
      EXPECT_EQ(Utf8FromBstr(got.bstrVal), second);
    }
  }
}

TEST(ClientInterface, ReadOnlyAndWriteOnlyPropertiesRefuseTheOtherDirection) {
  ComPtr<IVexa_CircleDC> object = CreateFromFactory();
  for (const char* readOnly : {"Status", "GetLastError", "WindowHandle"})
    EXPECT_EQ(PutByName(object.Get(), readOnly, Long(1)), DISP_E_MEMBERNOTFOUND) << readOnly;
  for (const char* writeOnly : {"OfflineTesting", "SaveRawData", "FilterMethod"}) {
    ComVariant got;
    EXPECT_EQ(CallByName(object.Get(), writeOnly, DISPATCH_PROPERTYGET, {}, &got),
              DISP_E_MEMBERNOTFOUND)
        << writeOnly;
    EXPECT_EQ(PutByName(object.Get(), writeOnly, Long(1)), S_OK) << writeOnly;
  }
  // The write-only properties sit at their rows of the table too.
  EXPECT_EQ(CallSlot(object.Get(), 43, LONG{0}), S_OK);
  EXPECT_EQ(CallSlot(object.Get(), 44, LONG{0}), S_OK);
  EXPECT_EQ(CallSlot(object.Get(), 56, LONG{2}), S_OK);
}

// A new object driven through every operation of the interface, in the order of its table.
TEST(ClientInterface, EveryOperationThroughTheFunctionTableInTableOrder) {
  ComPtr<IVexa_CircleDC> o = CreateFromFactory();
  LONG l = -1, l2 = -1;
  double d = -1;
  ECircleStatus status = E_OMBRIX_DC_CIRCLE_ERROR;
  EXPECT_EQ(o->PerformCircle(), S_FALSE);   // 1: nothing set yet
  EXPECT_EQ(o->get_Status(&status), S_OK);  // 2
  EXPECT_EQ(status, E_OMBRIX_DC_CIRCLE_NOT_INITIALISED);
  EXPECT_EQ(o->get_ModeParameter(&d), S_OK);  // 3
  EXPECT_EQ(d, 50.0);
  EXPECT_EQ(o->put_ModeParameter(60.0), S_OK);  // 4
  EXPECT_EQ(o->get_FilterNumber(&l), S_OK);     // 5
  EXPECT_EQ(l, 20);
  EXPECT_EQ(o->put_FilterNumber(30), S_OK);  // 6
  EXPECT_EQ(o->get_TipRadius(&d), S_OK);     // 7
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(o->put_TipRadius(1.0), S_OK);       // 8
  EXPECT_EQ(o->get_FeatureRadius(&d), S_OK);    // 9
  EXPECT_EQ(o->put_FeatureRadius(10.0), S_OK);  // 10
  EMode mode{};
  EXPECT_EQ(o->get_Mode(&mode), S_OK);                             // 11
  EXPECT_EQ(o->put_Mode(E_OMBRIX_DC_CIRCLE_MODE_CAL_FORM), S_OK);  // 12
  ELearning learning{};
  EXPECT_EQ(o->get_Learning(&learning), S_OK);  // 13
  EXPECT_EQ(learning, E_OMBRIX_DC_CIRCLE_NO_LEARNING);
  EXPECT_EQ(o->put_Learning(E_OMBRIX_DC_CIRCLE_AUTO), S_OK);  // 14
  EXPECT_EQ(o->get_SlowSpeed(&d), S_OK);                      // 15
  EXPECT_EQ(o->put_SlowSpeed(5.0), S_OK);                     // 16
  EXPECT_EQ(o->get_ScanDeflection(&d), S_OK);                 // 17
  EXPECT_EQ(o->put_ScanDeflection(0.3), S_OK);                // 18
  EOverwriteExistingMap overwrite{};
  EXPECT_EQ(o->get_Overwrite(&overwrite), S_OK);  // 19
  EXPECT_EQ(overwrite, E_OMBRIX_DC_CIRCLE_OVERWRITE_EXISTING_MAP);
  EXPECT_EQ(o->put_Overwrite(E_OMBRIX_DC_CIRCLE_NO_OVERWRITE_EXISTING_MAP), S_OK);  // 20
  EBoreOrBoss boreOrBoss{};
  EXPECT_EQ(o->get_BoreOrBoss(&boreOrBoss), S_OK);              // 21
  EXPECT_EQ(o->put_BoreOrBoss(E_OMBRIX_DC_CIRCLE_BOSS), S_OK);  // 22
  // 23: opens the viewer (without a display, one with no window on screen).
  EXPECT_EQ(o->ShowGraphics(0, 0, 0, 0, nullptr), S_OK);
  EScanDirection direction{};
  EXPECT_EQ(o->get_ScanDirection(&direction), S_OK);                             // 24
  EXPECT_EQ(o->put_ScanDirection(E_OMBRIX_DC_CIRCLE_ANTICLOCKWISE_SCAN), S_OK);  // 25
  EScanType scanType{};
  EXPECT_EQ(o->get_ScanType(&scanType), S_OK);                      // 26
  EXPECT_EQ(o->put_ScanType(E_OMBRIX_DC_CIRCLE_OTHER_SCAN), S_OK);  // 27
  EXPECT_EQ(o->get_MaxScanSpeed(&d), S_OK);                         // 28
  EXPECT_EQ(d, 100.0);
  EXPECT_EQ(o->put_MaxScanSpeed(80.0), S_OK);  // 29
  ComBstr text;
  EXPECT_EQ(o->get_IniFilepath(text.Receive()), S_OK);  // 30
  EXPECT_TRUE(text.IsAbsent());
  EXPECT_EQ(o->put_IniFilepath(ComBstr("/no/such/settings.ini").Get()), S_OK);  // 31
  EXPECT_EQ(o->get_WorkingFolder(text.Receive()), S_OK);                        // 32
  EXPECT_EQ(text.Utf8(), "Default");
  EXPECT_EQ(o->put_WorkingFolder(ComBstr("Feature7").Get()), S_OK);  // 33
  double form = -1, radius = -1, cx = -1, cy = -1, cz = -1;
  SAFEARRAY *x = nullptr, *y = nullptr, *z = nullptr;
  EXPECT_EQ(o->GetData(E_OMBRIX_DC_CIRCLE_DATA_SLOW, &form, &radius, &cx, &cy, &cz, &x, &y, &z, &l),
            S_OK);  // 34: no run, no data
  EXPECT_EQ(l, 0);
  EXPECT_EQ(x, nullptr);
  EXPECT_EQ(o->GetCurrentCircleStatus(&status), S_OK);  // 35
  EXPECT_EQ(status, E_OMBRIX_DC_CIRCLE_NOT_INITIALISED);
  EXPECT_EQ(o->get_GetLastError(&l), S_OK);  // 36: the last error, from GetData
  EXPECT_EQ(static_cast<uint32_t>(l), 0x83100007u);
  EXPECT_EQ(o->get_GetLastError(&l), S_OK);
  EXPECT_EQ(l, 0);                                       // reading cleared it
  EXPECT_EQ(o->Abort(), S_OK);                           // 37
  EXPECT_EQ(o->EnterProbeOffsets(0.1, 0.2, 0.3), S_OK);  // 38
  double sx = -1, sy = -1, sz = -1;
  EXPECT_EQ(o->GetStartPosition(&sx, &sy, &sz, &l), S_FALSE);  // 39: no controller
  EXPECT_EQ(l, 0);
  EXPECT_EQ(sx, 0.0);
  EXPECT_EQ(o->InitialiseObject(nullptr, nullptr, &l), S_FALSE);  // 40: no link
  EXPECT_EQ(l, 0);
  EXPECT_EQ(o->GetPerformCircleComplete(&l, &l2), S_OK);  // 41
  EXPECT_EQ(l, 0);
  EXPECT_EQ(l2, 0);  // an error is pending
  LONG saved = -1;
  o->SaveData(ComBstr("data.txt").Get(), &saved);  // 42: nothing to save
  EXPECT_EQ(saved, 0);
  EXPECT_EQ(o->put_OfflineTesting(1), S_OK);                        // 43
  EXPECT_EQ(o->put_SaveRawData(0), S_OK);                           // 44
  EXPECT_EQ(o->get_HeaderInfo1(text.Receive()), S_OK);              // 45
  EXPECT_EQ(o->put_HeaderInfo1(ComBstr("Part 4711").Get()), S_OK);  // 46
  EXPECT_EQ(o->get_HeaderInfo2(text.Receive()), S_OK);              // 47
  EXPECT_EQ(o->put_HeaderInfo2(ComBstr("Bore A").Get()), S_OK);     // 48
  EXPECT_EQ(o->get_HeaderInfo3(text.Receive()), S_OK);              // 49
  EXPECT_EQ(o->put_HeaderInfo3(ComBstr("").Get()), S_OK);           // 50
  EXPECT_EQ(o->get_HeaderInfo4(text.Receive()), S_OK);              // 51
  EXPECT_EQ(o->put_HeaderInfo4(ComBstr("Operator").Get()), S_OK);   // 52
  EXPECT_EQ(o->get_HeaderInfo5(text.Receive()), S_OK);              // 53
  EXPECT_EQ(o->put_HeaderInfo5(ComBstr("Shift 2").Get()), S_OK);    // 54
  EXPECT_EQ(o->ShowGraphicsComplete(), S_OK);                       // 55: closes it
  EXPECT_EQ(o->put_FilterMethod(2), S_OK);                          // 56
  EXPECT_EQ(o->get_Language(text.Receive()), S_OK);                 // 57
  EXPECT_TRUE(text.IsAbsent());
  EXPECT_EQ(o->put_Language(ComBstr("DEU").Get()), S_OK);  // 58
  EXPECT_EQ(o->GetGraphicsClosed(&l), S_OK);               // 59
  EXPECT_EQ(l, 1);
  EXPECT_EQ(o->get_WindowHandle(&l), S_OK);  // 60: the window there was
  EXPECT_NE(l, 0);
  EXPECT_EQ(o->get_WindowVisible(&l), S_OK);  // 61
  EXPECT_EQ(l, 1);
  EXPECT_EQ(o->put_WindowVisible(0), S_OK);  // 62

  // What was put reads back through late binding.
  ComVariant got;
  CallByName(o.Get(), "WorkingFolder", DISPATCH_PROPERTYGET, {}, &got);
  EXPECT_EQ(Utf8FromBstr(got.bstrVal), "Feature7");
  VariantClear(&got);
  CallByName(o.Get(), "WindowVisible", DISPATCH_PROPERTYGET, {}, &got);
  EXPECT_EQ(got.lVal, 0);
}

}  // namespace
