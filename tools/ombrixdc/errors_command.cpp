#include "tools/ombrixdc/errors_command.h"

#include <cstdint>
#include <cstdio>

#include "src/engine/error_number.h"

namespace {

void PrintErrorTable() {
  std::printf("# Error numbers and codes\n\n");
  std::printf(
      "What `GetLastError` returns after a failure, and what it means. A controller code "
      "the table does not name is returned as it is. Made by `ombrixdc errors`.\n\n");
  std::printf("| name | LastErrorNumber | GetLastError | meaning |\n|---|---|---|---|\n");
  for (const ombrixdc::ErrorEntry& e : ombrixdc::kErrorTable) {
    // A controller code is kept in LastErrorNumber as the code itself.
    char number[16];
    if (static_cast<uint32_t>(e.number) == e.code) {
      std::snprintf(number, sizeof number, "the code");
    } else {
      std::snprintf(number, sizeof number, "%d", e.number);
    }
    std::printf("| %.*s | %s | 0x%08X | %.*s |\n", static_cast<int>(e.name.size()), e.name.data(),
                number, e.code, static_cast<int>(e.meaning.size()), e.meaning.data());
  }
}

}  // namespace

void AddErrorsCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand("errors", "Print the table of error numbers and codes");
  command->callback([] { PrintErrorTable(); });
}
