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

TEST(ComPtrOwnership, CopyAddsReferenceMoveDoesNotAndResetReleases) {
  bool destroyed = false;
  ComPtr<ITestWidget> first = MakeComObject<TestWidget>(3, &destroyed);  // widens
  EXPECT_EQ(RefCount(first.Get()), 1u);
  ComPtr<ITestWidget> copy = first;
  EXPECT_EQ(RefCount(first.Get()), 2u);
  ComPtr<ITestWidget> moved = std::move(copy);
  EXPECT_FALSE(copy);  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(RefCount(first.Get()), 2u);

  ComPtr<ITestWidget> other = MakeComObject<TestWidget>(4);
  other = first;  // drops the other widget, shares the first
  EXPECT_EQ(other->Id(), 3);
  EXPECT_EQ(RefCount(first.Get()), 3u);
  other = nullptr;
  moved.Reset();
  EXPECT_EQ(RefCount(first.Get()), 1u);

  ITestWidget* raw = first.Detach();
  EXPECT_FALSE(destroyed);
  ComPtr<ITestWidget> adopted = ComPtr<ITestWidget>::Attach(raw);
  ComPtr<TestWidget> concrete = MakeComObject<TestWidget>(6);
  ComPtr<ITestGadget> widened = concrete;  // copy-widening shares the object
  EXPECT_EQ(RefCount(widened.Get()), 2u);
  EXPECT_EQ(RefCount(raw), 1u);
  adopted.Reset();
  EXPECT_TRUE(destroyed);
}

}  // namespace
