#include "platform/com/registrar.h"

#include <string>

namespace {

std::string Expand(std::string_view text, std::string_view modulePath) {
  constexpr std::string_view kModule = "%MODULE%";
  std::string out;
  for (size_t pos = 0;;) {
    const size_t found = text.find(kModule, pos);
    out += text.substr(pos, found - pos);
    if (found == std::string_view::npos) {
      return out;
    }
    out += modulePath;
    pos = found + kModule.size();
  }
}

}  // namespace

void ApplyRegistration(ClassesRoot& root, std::span<const RegistrationEntry> script,
                       std::string_view modulePath) {
  for (const RegistrationEntry& entry : script) {
    if (entry.flag == RegistrationFlag::ForceRemove) {
      root.DeleteTree(entry.key);
    }
    root.CreateKey(entry.key);
    if (entry.defaultValue) {
      root.SetValue(entry.key, {}, Expand(*entry.defaultValue, modulePath));
    }
    for (const RegistrationValue& value : entry.values) {
      root.SetValue(entry.key, value.name, Expand(value.value, modulePath));
    }
  }
}

void RemoveRegistration(ClassesRoot& root, std::span<const RegistrationEntry> script) {
  for (auto it = script.rbegin(); it != script.rend(); ++it) {
    switch (it->flag) {
      case RegistrationFlag::NoRemove:
        break;
      case RegistrationFlag::ForceRemove:
        root.DeleteTree(it->key);
        break;
      case RegistrationFlag::None:
        root.DeleteKey(it->key);  // kept while another server's subkeys remain below it
        break;
    }
  }
}
