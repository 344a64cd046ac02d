#include "tools/ombrixdc/errors_command.h"

#include <cstdio>
#include <string>

#include "tools/ombrixdc/error_explanations.h"

namespace {

std::string ErrorTableMarkdown() {
  std::string text =
      "# Errors\n\n"
      "After a failed run `GetLastError` returns one of these codes (0 when there was no "
      "error); `ombrixdc run` prints the same line after `GetLastError`. Codes 0x816000xx are "
      "the controller's own and are passed on unchanged: check the machine's state and the "
      "controller's message.\n\n"
      "| Code | Number | Name | What to check |\n"
      "| --- | --- | --- | --- |\n";
  for (const ErrorExplanation& entry : ErrorExplanations()) {
    text += "| " + HexCode(ErrorCode(entry.number)) + " | " +
            std::to_string(static_cast<int32_t>(entry.number)) + " | " + std::string(entry.name) +
            " | " + std::string(entry.check) + " |\n";
  }
  return text;
}

}  // namespace

void AddErrorsCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "errors", "Print the table of error codes and what to check (docs/errors.md)");
  command->callback([] {
    std::fputs(ErrorTableMarkdown().c_str(), stdout);
    throw CLI::RuntimeError(0);
  });
}
