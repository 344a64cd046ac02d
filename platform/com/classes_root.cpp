#include "platform/com/classes_root.h"

#include <algorithm>

#include "platform/text/ascii.h"

namespace {

constexpr std::string_view kRootName = "HKEY_CLASSES_ROOT";
constexpr std::string_view kHeader =
    "; Classes root: registration entries of in-process servers, as a registry export.\n"
    "; One [key] line per key, then its default value (@) and named values.\n";

// A path is one or more non-empty names joined by single backslashes.
bool IsValidPath(std::string_view path) {
  if (path.empty() || path.front() == '\\' || path.back() == '\\') {
    return false;
  }
  return path.find("\\\\") == std::string_view::npos && path.find('\n') == std::string_view::npos &&
         path.find('\r') == std::string_view::npos;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out.push_back(c);
    }
  }
  return out + "\"";
}

// Reads a quoted string at the front of `text` and removes it; false when malformed.
bool Unquote(std::string_view* text, std::string* out) {
  if (text->empty() || text->front() != '"') {
    return false;
  }
  out->clear();
  for (size_t i = 1; i < text->size(); ++i) {
    const char c = (*text)[i];
    if (c == '"') {
      text->remove_prefix(i + 1);
      return true;
    }
    if (c != '\\') {
      out->push_back(c);
      continue;
    }
    if (++i == text->size()) {
      return false;
    }
    switch ((*text)[i]) {
      case '\\':
        out->push_back('\\');
        break;
      case '"':
        out->push_back('"');
        break;
      case 'n':
        out->push_back('\n');
        break;
      case 'r':
        out->push_back('\r');
        break;
      default:
        return false;
    }
  }
  return false;
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

bool ClassesRoot::KeyOrder::operator()(const std::string& a, const std::string& b) const {
  // The separator sorts before every other character, so "a\b" comes before "a.1".
  auto rank = [](char c) { return c == '\\' ? 1 : static_cast<unsigned char>(c) + 1; };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return rank(x) < rank(y); });
}

const ClassesRoot::Key* ClassesRoot::Find(std::string_view path) const {
  const auto it = keys_.find(AsciiLowerCase(path));
  return it == keys_.end() ? nullptr : &it->second;
}

ClassesRoot::Key* ClassesRoot::Find(std::string_view path) {
  const auto it = keys_.find(AsciiLowerCase(path));
  return it == keys_.end() ? nullptr : &it->second;
}

bool ClassesRoot::KeyExists(std::string_view path) const {
  return Find(path) != nullptr;
}

bool ClassesRoot::CreateKey(std::string_view path) {
  if (!IsValidPath(path)) {
    return false;
  }
  for (size_t end = 0; end != std::string_view::npos;) {
    end = path.find('\\', end + 1);
    const std::string_view prefix = path.substr(0, end);
    const std::string lower = AsciiLowerCase(prefix);
    if (!keys_.count(lower)) {
      keys_.emplace(lower, Key{std::string(prefix), std::nullopt, {}});
    }
  }
  return true;
}

bool ClassesRoot::SetValue(std::string_view path, std::string_view name, std::string_view value) {
  if (!CreateKey(path)) {
    return false;
  }
  Key* key = Find(path);
  if (name.empty()) {
    key->defaultValue = std::string(value);
    return true;
  }
  for (auto& [existing, text] : key->values) {
    if (AsciiEqualsIgnoringCase(existing, name)) {
      text = std::string(value);
      return true;
    }
  }
  key->values.emplace_back(std::string(name), std::string(value));
  return true;
}

std::optional<std::string> ClassesRoot::Value(std::string_view path, std::string_view name) const {
  const Key* key = Find(path);
  if (!key) {
    return std::nullopt;
  }
  if (name.empty()) {
    return key->defaultValue;
  }
  for (const auto& [existing, text] : key->values) {
    if (AsciiEqualsIgnoringCase(existing, name)) {
      return text;
    }
  }
  return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> ClassesRoot::NamedValues(
    std::string_view path) const {
  const Key* key = Find(path);
  return key ? key->values : std::vector<std::pair<std::string, std::string>>{};
}

std::vector<std::string> ClassesRoot::Subkeys(std::string_view path) const {
  const std::string prefix = path.empty() ? std::string() : AsciiLowerCase(path) + "\\";
  std::vector<std::string> names;
  for (auto it = keys_.lower_bound(prefix); it != keys_.end(); ++it) {
    if (it->first.compare(0, prefix.size(), prefix) != 0) {
      break;
    }
    const std::string_view rest = std::string_view(it->second.path).substr(prefix.size());
    if (!rest.empty() && rest.find('\\') == std::string_view::npos) {
      names.emplace_back(rest);
    }
  }
  return names;
}

bool ClassesRoot::DeleteKey(std::string_view path) {
  if (!KeyExists(path) || !Subkeys(path).empty()) {
    return false;
  }
  keys_.erase(AsciiLowerCase(path));
  return true;
}

bool ClassesRoot::DeleteTree(std::string_view path) {
  if (!KeyExists(path)) {
    return false;
  }
  const std::string lower = AsciiLowerCase(path);
  const std::string prefix = lower + "\\";
  keys_.erase(lower);
  auto it = keys_.lower_bound(prefix);
  while (it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0) {
    it = keys_.erase(it);
  }
  return true;
}

std::vector<std::string> ClassesRoot::KeyPaths() const {
  std::vector<std::string> paths;
  for (const auto& entry : keys_) {
    paths.push_back(entry.second.path);
  }
  return paths;
}

std::string ClassesRoot::Format() const {
  std::string text(kHeader);
  for (const auto& [lower, key] : keys_) {
    text += "\n[";
    text += kRootName;
    text += "\\" + key.path + "]\n";
    if (key.defaultValue) {
      text += "@=" + Quote(*key.defaultValue) + "\n";
    }
    for (const auto& [name, value] : key.values) {
      text += Quote(name) + "=" + Quote(value) + "\n";
    }
  }
  return text;
}

std::optional<ClassesRoot> ClassesRoot::Parse(std::string_view text, std::string* error) {
  ClassesRoot root;
  std::string current;
  int lineNumber = 0;
  auto fail = [&](std::string_view reason) -> std::optional<ClassesRoot> {
    if (error) {
      *error = "line " + std::to_string(lineNumber) + ": " + std::string(reason);
    }
    return std::nullopt;
  };
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = TrimSpaces(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;
    if (line.empty() || line.front() == ';') {
      continue;
    }
    if (line.front() == '[') {
      const std::string_view prefix = std::string_view(kRootName.data(), kRootName.size());
      if (line.back() != ']' || line.size() < prefix.size() + 4 ||
          !AsciiEqualsIgnoringCase(line.substr(1, prefix.size()), prefix) ||
          line[prefix.size() + 1] != '\\') {
        return fail("a key line is [HKEY_CLASSES_ROOT\\path]");
      }
      current = line.substr(prefix.size() + 2, line.size() - prefix.size() - 3);
      if (!root.CreateKey(current)) {
        return fail("malformed key path");
      }
      continue;
    }
    if (current.empty()) {
      return fail("a value before the first key");
    }
    std::string name, value;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else if (!Unquote(&line, &name) || name.empty()) {
      return fail("a value line is @=\"text\" or \"name\"=\"text\"");
    }
    line = TrimSpaces(line);
    if (line.empty() || line.front() != '=') {
      return fail("missing '='");
    }
    line = TrimSpaces(line.substr(1));
    if (!Unquote(&line, &value) || !TrimSpaces(line).empty()) {
      return fail("a value is a quoted string");
    }
    root.SetValue(current, name, value);
  }
  return root;
}
