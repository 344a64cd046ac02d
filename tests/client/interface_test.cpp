// The object as a client sees it through the function table and IDispatch: its interfaces, its
// names, and its operations at their rows of the table and through Invoke.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "tests/client/client_support.h"
#include "tests/support/circle_dc_interface_table.h"

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

  // Not even the events' interface, which the object raises but does not implement.
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(object->QueryInterface(DIID__IVexa_CircleDCEvents, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);

  // The events' connection point is found by the event fixture; no other is offered.
  ComPtr<IConnectionPoint> none;
  EXPECT_EQ(container->FindConnectionPoint(IID_IVexa_CircleDC, none.ReleaseAndGetAddressOf()),
            CONNECT_E_NOCONNECTION);
}

// Every member's name binds to its DISPID, in any case, and an unknown name to none. Every
// property put through Invoke is read through the function table, and put through the table
// read through Invoke. Each value is particular to its property, so a crossed slot or DISPID
// shows.
TEST(ClientInterface, NamesBindToTheirDispids_PropertiesRoundTripThroughInvokeAndTheTable) {
  ComPtr<IVexa_CircleDC> object = CreateFromFactory();
  IDispatch* dispatch = object.Get();
  ForEachOperation([&](const InterfaceMember& p, int getRow, char kind) {
    if (kind == p.kinds[0]) {  // once for each member
      std::string lower = p.name;
      std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return std::tolower(c); });
      EXPECT_EQ(IdOf(dispatch, p.name), p.dispid) << p.name;
      EXPECT_EQ(IdOf(dispatch, lower.c_str()), p.dispid) << lower;
    }
    if (std::string_view(p.kinds) != "gp" || kind != 'g') {
      return;
    }
    const int putRow = getRow + 1;
    SCOPED_TRACE(p.name);
    ComVariant got;
    if (p.type != 's') {  // a double or a 32-bit integer, each as its own type
      const bool real = p.type == 'd';
      ASSERT_EQ(PutByName(dispatch, p.name, real ? Real(getRow + 0.25) : Long(getRow)), S_OK);
      double d = 0;
      LONG l = 0;
      ASSERT_EQ(real ? CallSlot(object.Get(), getRow, &d) : CallSlot(object.Get(), getRow, &l),
                S_OK);
      EXPECT_EQ(real ? d : l, real ? getRow + 0.25 : getRow);
      ASSERT_EQ(real ? CallSlot(object.Get(), putRow, -(putRow + 0.5))
                     : CallSlot(object.Get(), putRow, LONG{putRow + 100}),
                S_OK);
      ASSERT_EQ(CallByName(dispatch, p.name, DISPATCH_PROPERTYGET, {}, &got), S_OK);
      EXPECT_EQ(got.vt, real ? VT_R8 : VT_I4);
      EXPECT_EQ(real ? got.dblVal : got.lVal, real ? -(putRow + 0.5) : putRow + 100);
    } else {
      const std::string first = std::string("first ") + p.name;
      const std::string second = std::string("zweite Größe ") + p.name;
      ASSERT_EQ(PutTextByName(dispatch, p.name, first), S_OK);
      ComBstr value;
      ASSERT_EQ(CallSlot(object.Get(), getRow, value.Receive()), S_OK);
      EXPECT_EQ(value.Utf8(), first);
      ComBstr next(second);
      ASSERT_EQ(CallSlot(object.Get(), putRow, next.Get()), S_OK);
      ASSERT_EQ(CallByName(dispatch, p.name, DISPATCH_PROPERTYGET, {}, &got), S_OK);
      EXPECT_EQ(got.vt, VT_BSTR);
      EXPECT_EQ(Utf8FromBstr(got.bstrVal), second);
    }
  });
  ComBstr unknown("PerformCircles");
  LPOLESTR names[] = {unknown.Get()};
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
}

// The methods and read-only properties at their rows of the function table, on a new object:
// each answers as that operation does (the properties' rows are checked above).
TEST(ClientInterface, MethodsSitAtTheirRowsOfTheFunctionTable) {
  ComPtr<IVexa_CircleDC> o = CreateFromFactory();
  IVexa_CircleDC* p = o.Get();
  LONG l = -1, l2 = -1;
  double x = -1, y = -1, z = -1, form = -1, radius = -1;
  ECircleStatus status = E_OMBRIX_DC_CIRCLE_ERROR;
  EXPECT_EQ(CallSlot(p, 1), S_FALSE);  // PerformCircle: nothing set yet
  EXPECT_EQ(CallSlot(p, 2, &status), S_OK);
  EXPECT_EQ(status, E_OMBRIX_DC_CIRCLE_NOT_INITIALISED);
  SAFEARRAY *ax = nullptr, *ay = nullptr, *az = nullptr;
  EXPECT_EQ(
      CallSlot(p, 34, E_OMBRIX_DC_CIRCLE_DATA_SLOW, &form, &radius, &x, &y, &z, &ax, &ay, &az, &l),
      S_OK);  // GetData: no run, no data
  EXPECT_EQ(l, 0);
  status = E_OMBRIX_DC_CIRCLE_ERROR;
  EXPECT_EQ(CallSlot(p, 35, &status), S_OK);  // GetCurrentCircleStatus
  EXPECT_EQ(status, E_OMBRIX_DC_CIRCLE_NOT_INITIALISED);
  EXPECT_EQ(CallSlot(p, 36, &l), S_OK);  // GetLastError: GetData's, cleared by reading
  EXPECT_EQ(static_cast<uint32_t>(l), 0x83100007u);
  EXPECT_EQ(CallSlot(p, 37), S_OK);                     // Abort
  EXPECT_EQ(CallSlot(p, 38, 0.1, 0.2, 0.3), S_OK);      // EnterProbeOffsets
  EXPECT_EQ(CallSlot(p, 39, &x, &y, &z, &l), S_FALSE);  // GetStartPosition: no controller
  EXPECT_EQ(l, 0);
  EXPECT_EQ(CallSlot(p, 40, static_cast<IUnknown*>(nullptr), static_cast<IUnknown*>(nullptr), &l),
            S_FALSE);                         // InitialiseObject: no link
  EXPECT_EQ(CallSlot(p, 41, &l, &l2), S_OK);  // GetPerformCircleComplete
  EXPECT_EQ(l, 0);
  l = -1;
  const ComBstr name("data.txt");
  CallSlot(p, 42, name.Get(), &l);  // SaveData: nothing to save
  EXPECT_EQ(l, 0);
  // Without a display ShowGraphics opens no window and says so: the false status, the
  // graphics still closed, no window handle; ShowGraphicsComplete has nothing to close.
  ::unsetenv("DISPLAY");
  EXPECT_EQ(CallSlot(p, 23, 0, 0, 0, 0, static_cast<BSTR>(nullptr)), S_FALSE);
  EXPECT_EQ(CallSlot(p, 59, &l), S_OK);  // GetGraphicsClosed
  EXPECT_EQ(l, 1);
  EXPECT_EQ(CallSlot(p, 60, &l), S_OK);  // WindowHandle
  EXPECT_EQ(l, 0);
  EXPECT_EQ(CallSlot(p, 55), S_FALSE);
  // The write-only properties OfflineTesting, SaveRawData and FilterMethod.
  EXPECT_EQ(CallSlot(p, 43, LONG{0}), S_OK);
  EXPECT_EQ(CallSlot(p, 44, LONG{0}), S_OK);
  EXPECT_EQ(CallSlot(p, 56, LONG{2}), S_OK);
}

}  // namespace
