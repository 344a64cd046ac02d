#include "platform/vexa/ini_file.h"

#include <ini.h>

#include <cstdio>
#include <memory>

#include "platform/text/ascii.h"

namespace vexa_sim {
namespace {

struct LineSource {
  std::FILE* file = nullptr;
  bool lineTooLong = false;
  int32_t lines = 0;  // read so far: the number of the line being parsed
};

// Gives the parser one line at a time with its leading blanks removed: in a Windows INI file
// an indented line is a line like any other, not the continuation of the value above it.
// A line longer than the parser's buffer would be split silently; it is flagged instead.
char* ReadLine(char* buffer, int size, void* stream) {
  auto* source = static_cast<LineSource*>(stream);
  int c = std::getc(source->file);
  while (c == ' ' || c == '\t') {
    c = std::getc(source->file);
  }
  if (c == EOF) {
    return nullptr;
  }
  ++source->lines;
  int length = 0;
  while (c != EOF && c != '\n') {
    if (length < size - 1) {
      buffer[length++] = static_cast<char>(c);
    } else {
      source->lineTooLong = true;
    }
    c = std::getc(source->file);
  }
  buffer[length] = '\0';
  return buffer;
}

struct Search {
  Search(std::string_view sectionName, std::string_view keyName)
      : section(sectionName), key(keyName) {}
  std::string_view section;
  std::string_view key;
  bool found = false;
  std::string value;
};

int OnValue(void* user, const char* section, const char* name, const char* value) {
  auto* search = static_cast<Search*>(user);
  if (!search->found && AsciiEqualsIgnoringCase(section, search->section) &&
      AsciiEqualsIgnoringCase(name, search->key)) {
    search->found = true;
    search->value = value ? value : "";
  }
  return 1;  // keep going: a zero would count as a syntax error
}

std::string Unquoted(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

// Runs the parser over the whole file, handing every value to handler(user, ...); false when
// the file cannot be read as INI syntax. `source` tells the handler the line it stands on.
bool ParseIniFile(const std::string& path, ini_handler handler, void* user, LineSource* source) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) {
    return false;
  }
  source->file = file.get();
  const int status = ini_parse_stream(&ReadLine, source, handler, user);
  // A folder opens but does not read; a syntax error means the file is not what it claims.
  return status == 0 && !source->lineTooLong && !std::ferror(file.get());
}

bool ParseIniFile(const std::string& path, Search* search) {
  LineSource source;
  return ParseIniFile(path, &OnValue, search, &source);
}

struct Collection {
  const LineSource* source = nullptr;
  std::vector<IniEntry> entries;
};

int OnEntry(void* user, const char* section, const char* name, const char* value) {
  auto* collection = static_cast<Collection*>(user);
  collection->entries.push_back(
      {section, name, Unquoted(value ? value : ""), collection->source->lines});
  return 1;
}

}  // namespace

IniLookup LookUpIniValue(const std::string& path, std::string_view section, std::string_view key) {
  IniLookup result;
  Search search{section, key};
  if (!ParseIniFile(path, &search)) {
    return result;
  }
  if (!search.found) {
    result.outcome = IniLookup::Outcome::Missing;
    return result;
  }
  result.outcome = IniLookup::Outcome::Found;
  result.value = Unquoted(search.value);
  return result;
}

std::optional<std::vector<IniEntry>> ReadIniEntries(const std::string& path) {
  LineSource source;
  Collection collection{&source, {}};
  if (!ParseIniFile(path, &OnEntry, &collection, &source)) {
    return std::nullopt;
  }
  return std::move(collection.entries);
}

bool IsReadableIniFile(const std::string& path) {
  // No section name holds a line end, so this search finds nothing and only reads.
  Search search{"\n", ""};
  return ParseIniFile(path, &search);
}

}  // namespace vexa_sim
