#pragma once
// A small interface and an object implementing it, for the registry and variant tests.
#include "platform/com/object.h"
#include "platform/com/unknown.h"

inline constexpr IID IID_ITestWidget = {
    0x6A1F0C21, 0x3B9E, 0x4D57, {0x8E, 0x10, 0x2C, 0x44, 0x91, 0x0B, 0x7A, 0x01}};

struct ITestWidget : IUnknown {
 protected:
  ~ITestWidget() = default;
};
OMBRIXDC_INTERFACE_ID(ITestWidget, IID_ITestWidget);

// Reports its destruction through `destroyed` when given one.
class TestWidget final : public ComObject<ITestWidget> {
 public:
  explicit TestWidget(bool* destroyed = nullptr) : destroyed_(destroyed) {}
  ~TestWidget() override {
    if (destroyed_) {
      *destroyed_ = true;
    }
  }

 private:
  bool* destroyed_;
};

// A new widget with the one reference a creation function hands over.
inline IUnknown* NewWidget(bool* destroyed = nullptr) {
  return MakeComObject<TestWidget>(destroyed).Detach();
}
