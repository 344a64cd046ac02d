#pragma once
// Registration scripts of in-process servers: the keys and values a server writes under the
// classes root when it registers and removes when it unregisters. "%MODULE%" in a value
// stands for the full path of the server's module file.
//
// Registering creates each key with its values, first deleting the subtree of a ForceRemove
// key that already exists. Unregistering walks the script backwards: a ForceRemove key goes
// with its whole subtree, a NoRemove key always stays, any other key goes when nothing else
// is left below it.
#include <optional>
#include <span>
#include <string_view>

#include "platform/com/classes_root.h"

enum class RegistrationFlag { None, ForceRemove, NoRemove };

struct RegistrationValue {
  std::string_view name;
  std::string_view value;
};

// Parents come before their subkeys in a script.
struct RegistrationEntry {
  std::string_view key;
  std::optional<std::string_view> defaultValue;
  RegistrationFlag flag = RegistrationFlag::None;
  std::span<const RegistrationValue> values = {};
};

void ApplyRegistration(ClassesRoot& root, std::span<const RegistrationEntry> script,
                       std::string_view modulePath);
void RemoveRegistration(ClassesRoot& root, std::span<const RegistrationEntry> script);
