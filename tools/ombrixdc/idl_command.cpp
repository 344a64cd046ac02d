#include "tools/ombrixdc/idl_command.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "src/component/automation/idl_writer.h"

using namespace ombrixdc;

CLI::App* AddIdlCommand(CLI::App& app) {
  CLI::App* command =
      app.add_subcommand("idl", "Print the automation interface and its type library as IDL");
  auto output = std::make_shared<std::string>();
  command->add_option("-o,--output", *output, "Write to this file instead of standard output");
  command->callback([output] {
    const std::string idl = FormatIdl(CircleDCTypeLibrary());
    if (output->empty()) {
      std::cout << idl;
      return;
    }
    std::ofstream file(*output, std::ios::binary);
    if (!(file << idl) || !file.flush()) {
      std::cerr << "cannot write " << *output << "\n";
      throw CLI::RuntimeError(1);
    }
  });
  return command;
}
