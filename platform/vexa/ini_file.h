#pragma once
// Looks up one value in a Windows-style INI file: [Section] headings, Key=Value lines, ';'
// and '#' comment lines, section and key names compared without regard to (ASCII) case, the
// first occurrence winning. The file is read afresh on every lookup.
#include <string>
#include <string_view>

namespace vexa_sim {

struct IniLookup {
  enum class Outcome {
    Unreadable,  // the file cannot be opened or read, or a line is not INI syntax
    Missing,     // no such key in that section
    Found,
  };
  Outcome outcome = Outcome::Unreadable;
  std::string value;  // surrounding blanks and one pair of enclosing double quotes removed
};

IniLookup LookUpIniValue(const std::string& path, std::string_view section, std::string_view key);

// True when the file opens and reads as INI syntax.
bool IsReadableIniFile(const std::string& path);

}  // namespace vexa_sim
