#pragma once
// Looks up one value in a Windows-style INI file: [Section] headings, Key=Value lines, ';'
// and '#' comment lines, section and key names compared without regard to (ASCII) case, the
// first occurrence winning. The file is read afresh on every lookup.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Every Key=Value line of the file in file order, values cleaned as above; nullopt when the
// file is unreadable as IniLookup::Outcome::Unreadable describes.
struct IniEntry {
  std::string section;
  std::string key;
  std::string value;
  int32_t line = 0;  // from 1
};
std::optional<std::vector<IniEntry>> ReadIniEntries(const std::string& path);

// True when the file opens and reads as INI syntax.
[[nodiscard]] bool IsReadableIniFile(const std::string& path);

}  // namespace vexa_sim
