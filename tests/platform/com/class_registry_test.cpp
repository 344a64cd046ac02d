#include "platform/com/class_registry.h"

#include <gtest/gtest.h>

#include "tests/platform/com/test_objects.h"

namespace {

// Each test uses its own class ids: the table is process-wide.
CLSID TestClass(uint32_t n) {
  return {0xC1A55000 + n, 0x0C0B, 0x4E11, {0xA0, 0x5E, 0, 0, 0, 0, 0, static_cast<uint8_t>(n)}};
}

// Creates an instance and returns its id, or the failure code.
LONG CreatedId(REFCLSID clsid) {
  ComPtr<ITestWidget> widget;
  const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ITestWidget,
                                      widget.ReleaseAndGetVoidAddressOf());
  return SUCCEEDED(hr) ? widget->Id() : hr;
}

TEST(ClassRegistry, LaterRegistrationWinsRevokingRestoresTheEarlierAndNothingLeaks) {
  const CLSID clsid = TestClass(1);
  int calls = 0;
  const DWORD first = RegisterInProcessClass(clsid, [&calls]() -> IUnknown* {
    ++calls;
    return NewWidget(10);
  });
  const DWORD second = RegisterInProcessClass(clsid, [] { return NewWidget(20); });
  EXPECT_EQ(CreatedId(clsid), 20);
  EXPECT_EQ(CreatedId(TestClass(2)), REGDB_E_CLASSNOTREG);  // ids are told apart
  EXPECT_EQ(CoRevokeClassObject(second), S_OK);
  EXPECT_EQ(CoRevokeClassObject(second), E_INVALIDARG);
  const ULONG alive = ComObjectsAlive();
  void* out = &out;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_ITestWidget, nullptr), E_POINTER);
  EXPECT_EQ(calls, 0);
  // An interface the object lacks: created once, then released rather than leaked.
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_ITestMissing, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ComObjectsAlive(), alive);
  EXPECT_EQ(CreatedId(clsid), 10);
  EXPECT_EQ(CoRevokeClassObject(first), S_OK);
  EXPECT_EQ(CreatedId(clsid), REGDB_E_CLASSNOTREG);
}

TEST(ClassRegistry, FactoryCountsServerLocksNeverBelowZeroAndIsNotALiveObject) {
  const ULONG alive = ComObjectsAlive(), locks = ComServerLocks();
  auto factory = ComPtr<IClassFactory>::Attach(NewClassFactory([] { return NewWidget(); }));
  EXPECT_EQ(ComObjectsAlive(), alive);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(ComServerLocks(), locks + 1);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(ComServerLocks(), locks);
  if (locks == 0) {
    EXPECT_EQ(factory->LockServer(FALSE), E_UNEXPECTED);
  }
  EXPECT_EQ(ComServerLocks(), locks);
}

}  // namespace
