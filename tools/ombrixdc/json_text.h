#pragma once
// JSON values for the commands' --json output.
#include <string>

// A string value, quoted, with quotes, backslashes and control characters escaped.
std::string JsonText(const std::string& text);
// A number as the command line prints it; JSON has no infinity or not-a-number, so such a
// value is written as null.
std::string JsonNumber(double value);
