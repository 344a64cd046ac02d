#include "platform/com/object.h"

#include <gtest/gtest.h>

#include <utility>

#include "tests/platform/com/test_objects.h"

namespace {

TEST(ComObjectQuery, AnswersListedInterfacesAndRefusesOthers) {
  ComPtr<TestWidget> widget = MakeComObject<TestWidget>(7);
  void* out = nullptr;
  ASSERT_EQ(widget->QueryInterface(IID_ITestGadget, &out), S_OK);
  auto* gadget = static_cast<ITestGadget*>(out);
  EXPECT_EQ(gadget->Twice(21), 42);
  EXPECT_EQ(RefCount(gadget), 2u);

  // Identity: IUnknown is the same pointer whichever interface is asked.
  void* unknownFromWidget = nullptr;
  void* unknownFromGadget = nullptr;
  ASSERT_EQ(
      static_cast<ITestWidget*>(widget.Get())->QueryInterface(IID_IUnknown, &unknownFromWidget),
      S_OK);
  ASSERT_EQ(gadget->QueryInterface(IID_IUnknown, &unknownFromGadget), S_OK);
  EXPECT_EQ(unknownFromWidget, unknownFromGadget);
  static_cast<IUnknown*>(unknownFromWidget)->Release();
  static_cast<IUnknown*>(unknownFromGadget)->Release();
  gadget->Release();

  out = &out;
  EXPECT_EQ(widget->QueryInterface(IID_ITestMissing, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(widget->QueryInterface(IID_ITestWidget, nullptr), E_POINTER);
  EXPECT_EQ(RefCount(static_cast<ITestWidget*>(widget.Get())), 1u);  // refusals take no reference
}

}  // namespace
