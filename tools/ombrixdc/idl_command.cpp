#include "tools/ombrixdc/idl_command.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "src/component/automation/idl_writer.h"
#include "tools/ombrixdc/number_checks.h"

using namespace ombrixdc;

CLI::App* AddIdlCommand(CLI::App& app) {
  CLI::App* command =
      app.add_subcommand("idl", "Print the automation interface and its type library as IDL");
  auto output = std::make_shared<std::string>();
  command->add_option("-o,--output", *output, "Write to this file instead of standard output")
      ->check(NonEmptyText());
  command->callback([output] {
    const std::string idl = FormatIdl(CircleDCTypeLibrary());
    if (output->empty()) {
      std::cout << idl;  // main checks that standard output was written
      return;
    }
    errno = 0;
    std::ofstream file(*output, std::ios::binary);
    if (!(file << idl) || !file.flush()) {
      const int reason = errno;
      std::cerr << "ombrixdc: cannot write " << *output << ": "
                << (reason ? std::strerror(reason) : "write failed") << "\n";
      throw CLI::RuntimeError(1);
    }
  });
  return command;
}
