// ombrixdc: the command-line front end of the circle dynamic compensation component.
#include <CLI/CLI.hpp>

#include "tools/ombrixdc/demo.h"
#include "tools/ombrixdc/errors_command.h"
#include "tools/ombrixdc/idl_command.h"
#include "tools/ombrixdc/maps_command.h"
#include "tools/ombrixdc/register_command.h"
#include "tools/ombrixdc/render_command.h"
#include "tools/ombrixdc/run_command.h"
#include "tools/ombrixdc/sweep_command.h"
#include "tools/ombrixdc/view_command.h"

int main(int argc, char** argv) {
  CLI::App app{"OmbrixDC: circle dynamic compensation for coordinate measuring machines"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "ombrixdc " OMBRIXDC_VERSION);
  app.footer(
      "Run 'ombrixdc COMMAND --help' for a command's options and 'ombrixdc errors' for the "
      "error codes.");

  DemoOptions demo;
  CLI::App* demoCommand =
      app.add_subcommand("demo", "Run the main job on the built-in simulated machine");
  demoCommand->add_option("--dir", demo.directory,
                          "Folder for the settings file and the run files (default: a folder "
                          "in the system's temporary folder)");
  demoCommand->callback([&demo] { throw CLI::RuntimeError(RunDemo(demo)); });
  AddRunCommand(app);
  AddSweepCommand(app);
  AddViewCommand(app);
  AddRegisterCommand(app);
  AddIdlCommand(app);
  AddRenderCommand(app);
  AddMapsCommand(app);
  AddErrorsCommand(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::RuntimeError& result) {
    return result.get_exit_code();
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;  // help is not a usage error
  }
  return 0;
}
