#pragma once
// Factories of the simulated controller's classes, for the class registration. Each returns
// a new object with one reference.
#include "platform/com/unknown.h"

namespace vexa_sim {

IUnknown* NewAxisPositionAndStatus();
IUnknown* NewStop();
IUnknown* NewCircleScan();
IUnknown* NewMove();
IUnknown* NewMoveTarget();
IUnknown* NewProbeInfo();
IUnknown* NewHead();
IUnknown* NewFrame();
IUnknown* NewSettingsStore();
IUnknown* NewErrorObject();

// A new object of class T, handed out through its interface I with one reference.
template <class T, class I>
IUnknown* NewObjectAs() {
  T* object = new T();
  object->AddRef();
  return static_cast<I*>(object);
}

}  // namespace vexa_sim
