#pragma once
// The classes root of the registry as a tree of keys in memory: each key has an optional
// default value and named string values. Key paths are separated by backslashes, and key
// and value names are compared without regard to case, as the platform does.
//
// The text form is a registry export: a [HKEY_CLASSES_ROOT\path] line per key, then
// @="default" and "name"="value" lines, strings with backslash escapes.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class ClassesRoot {
 public:
  [[nodiscard]] bool KeyExists(std::string_view path) const;
  // Creates the key and every missing parent. False for an empty or malformed path.
  bool CreateKey(std::string_view path);
  // Sets the default value (empty name) or a named value, creating the key when needed.
  bool SetValue(std::string_view path, std::string_view name, std::string_view value);
  // nullopt when the key or the value does not exist.
  [[nodiscard]] std::optional<std::string> Value(std::string_view path,
                                                 std::string_view name = {}) const;
  // The key's named values in the order they were first set (the default value not included).
  std::vector<std::pair<std::string, std::string>> NamedValues(std::string_view path) const;
  // Names of the key's direct subkeys, in key order.
  std::vector<std::string> Subkeys(std::string_view path) const;
  // Deletes a key that has no subkeys; false when it is missing or still has subkeys.
  bool DeleteKey(std::string_view path);
  // Deletes the key with everything below it; false when it is missing.
  bool DeleteTree(std::string_view path);
  // Every key's full path, parents before their subkeys.
  std::vector<std::string> KeyPaths() const;

  std::string Format() const;
  // nullopt (with a reason and line number in `error`) for text that is not a classes root.
  [[nodiscard]] static std::optional<ClassesRoot> Parse(std::string_view text,
                                                        std::string* error = nullptr);

 private:
  struct Key {
    std::string path;  // as first written
    std::optional<std::string> defaultValue;
    std::vector<std::pair<std::string, std::string>> values;
  };
  // Orders lower-cased paths so that a key comes right before its subtree.
  struct KeyOrder {
    bool operator()(const std::string& a, const std::string& b) const;
  };

  const Key* Find(std::string_view path) const;
  Key* Find(std::string_view path);

  std::map<std::string, Key, KeyOrder> keys_;  // by lower-cased path
};
