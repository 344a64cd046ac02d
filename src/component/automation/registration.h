#pragma once
// Registration of the component's server module: its ProgIDs, its class key with the module
// path and threading model, and its type library.
#include <span>
#include <string_view>

#include "platform/com/hresult.h"
#include "platform/com/registrar.h"

namespace ombrixdc {

// The entries written under the classes root; "%MODULE%" stands for the module's path.
std::span<const RegistrationEntry> CircleDCRegistrationScript();

// Apply or remove the entries and the type library in the registry store.
HRESULT RegisterCircleDCServer(std::string_view modulePath);
HRESULT UnregisterCircleDCServer();

}  // namespace ombrixdc
