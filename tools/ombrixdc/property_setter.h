#pragma once
// Setting a component property from "NAME=VALUE" text, NAME being the automation name
// (compared without regard to case).
#include <string>
#include <string_view>

class CircleDCComponent;

bool SetPropertyByName(CircleDCComponent& c, std::string_view assignment, std::string* error);
