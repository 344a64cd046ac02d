#pragma once
// Points the registry store at a file in a fresh temporary folder for as long as it lives, so
// that tests never read or write the user's real store; the previous setting comes back
// afterwards. A test program that may touch the store keeps one for its whole run.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/temp_folder.h"

class IsolatedRegistry {
 public:
  IsolatedRegistry() {
    if (const char* previous = std::getenv(kVariable)) {
      previous_ = previous;
    }
    setenv(kVariable, File().c_str(), 1);
  }
  ~IsolatedRegistry() {
    if (previous_) {
      setenv(kVariable, previous_->c_str(), 1);
    } else {
      unsetenv(kVariable);
    }
  }
  std::filesystem::path File() const { return folder_.Path() / "classes-root.reg"; }

 private:
  static constexpr const char* kVariable = "OMBRIXDC_REGISTRY";
  TempFolder folder_;  // not copyable, nor then is the registry
  std::optional<std::string> previous_;
};
