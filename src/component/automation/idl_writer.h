#pragma once
// The type library's description written as interface definition language.
#include <string>

#include "src/component/automation/type_library.h"

namespace ombrixdc {

std::string FormatIdl(const TypeLibraryDescription& library);

}  // namespace ombrixdc
