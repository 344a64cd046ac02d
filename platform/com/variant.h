#pragma once
// Automation values (declared in the public header) and an owner that clears one.
#include "include/OmbrixDC_com.h"
#include "platform/com/bstr.h"

// A VARIANT that clears itself: usable wherever a VARIANT* is expected.
struct ComVariant : VARIANT {
  ComVariant() { VariantInit(this); }
  ~ComVariant() { VariantClear(this); }
  ComVariant(const ComVariant&) = delete;
  ComVariant& operator=(const ComVariant&) = delete;
};
