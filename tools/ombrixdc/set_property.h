#pragma once
// `ombrixdc run --set NAME=VALUE`: one assignment put through the object's dispatch interface.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/dispatch.h"

// "0x8002000A": an HRESULT or error code as the tool prints it.
std::string HexCode(uint32_t code);

// Puts one NAME=VALUE through the object's dispatch interface, as a script would; false with
// *error saying why when the text is no assignment or the object refuses it.
bool SetProperty(IDispatch* object, std::string_view assignment, std::string* error);
