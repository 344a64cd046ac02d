#pragma once
// The simulated controller as an in-process server module of its own
// (ombrixdc-simulated-controller.so): it serves the controller's classes by their class ids, and a
// link to the simulated machine, so that a client creates every controller object through
// CoCreateInstance.
#include "platform/com/guid.h"

// The link class: every link it makes leads to the module's one simulated machine.
inline constexpr CLSID CLSID_VexaSim_link = {
    0x3D8E6A52, 0x1F4B, 0x4C9D, {0x8E, 0x27, 0x5B, 0x6A, 0x0C, 0x1D, 0x9F, 0x31}};
inline constexpr const char* kVexaSimLinkProgId = "VexaSim.Vexa_link";
