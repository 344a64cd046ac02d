// The process's table of classes and their factories.
#include "platform/com/class_registry.h"

#include <gtest/gtest.h>

#include "tests/platform/com/test_widget.h"

// An interface no test object implements.
inline constexpr IID IID_ITestMissing = {
    0x6A1F0C23, 0x3B9E, 0x4D57, {0x8E, 0x10, 0x2C, 0x44, 0x91, 0x0B, 0x7A, 0x03}};

namespace {

// Each test uses its own class ids: the table is process-wide.
CLSID TestClass(uint32_t n) {
  return {0xC1A55000 + n, 0x0C0B, 0x4E11, {0xA0, 0x5E, 0, 0, 0, 0, 0, static_cast<uint8_t>(n)}};
}

HRESULT Create(REFCLSID clsid) {
  ComPtr<ITestWidget> widget;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ITestWidget,
                          widget.ReleaseAndGetVoidAddressOf());
}

TEST(ClassRegistry, CreatesOnlyWhatItCanHandOverLeaksNothingAndRevokesOnce) {
  const CLSID clsid = TestClass(1);
  int calls = 0;
  const DWORD cookie = RegisterInProcessClass(clsid, [&calls]() -> IUnknown* {
    ++calls;
    return NewWidget();
  });
  EXPECT_EQ(Create(clsid), S_OK);
  EXPECT_EQ(Create(TestClass(2)), REGDB_E_CLASSNOTREG);  // ids are told apart
  const ULONG alive = ComObjectsAlive();
  void* out = &out;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_ITestWidget, nullptr), E_POINTER);
  EXPECT_EQ(calls, 1);
  // An interface the object lacks: created once, then released rather than leaked.
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_ITestMissing, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(ComObjectsAlive(), alive);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG);
  EXPECT_EQ(Create(clsid), REGDB_E_CLASSNOTREG);
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
