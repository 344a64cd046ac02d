#include "platform/com/object.h"

#include <gtest/gtest.h>

#include "tests/platform/com/test_objects.h"

namespace {

TEST(ComObjectQuery, AnswersListedInterfacesWithOneIdentityAndRefusesOthers) {
  ComPtr<TestWidget> widget = MakeComObject<TestWidget>(7);
  auto* asWidget = static_cast<ITestWidget*>(widget.Get());
  ComPtr<ITestGadget> gadget;
  ASSERT_EQ(asWidget->QueryInterface(IID_ITestGadget, gadget.ReleaseAndGetVoidAddressOf()), S_OK);
  EXPECT_EQ(gadget->Twice(21), 42);
  EXPECT_EQ(RefCount(asWidget), 2u);
  ComPtr<IUnknown> fromWidget, fromGadget;  // IUnknown: the same pointer whichever is asked
  ASSERT_EQ(asWidget->QueryInterface(IID_IUnknown, fromWidget.ReleaseAndGetVoidAddressOf()), S_OK);
  ASSERT_EQ(gadget->QueryInterface(IID_IUnknown, fromGadget.ReleaseAndGetVoidAddressOf()), S_OK);
  EXPECT_EQ(fromWidget.Get(), fromGadget.Get());
  fromWidget.Reset();
  fromGadget.Reset();
  gadget.Reset();

  void* out = &out;
  EXPECT_EQ(asWidget->QueryInterface(IID_ITestMissing, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(asWidget->QueryInterface(IID_ITestWidget, nullptr), E_POINTER);
  EXPECT_EQ(RefCount(asWidget), 1u);  // refusals take no reference
}

}  // namespace
