#pragma once
// `ombrixdc register [--unregister] [MODULE...]`: registers in-process server modules in the
// registry store by calling their DllRegisterServer (or DllUnregisterServer), as the
// platform's server registration tool does. Without modules: the component's module and the
// simulated controller's module from the lib folder beside this program's folder.
#include <CLI/CLI.hpp>

// Adds the subcommand and returns it; its callback does the work and reports failure by
// throwing CLI::RuntimeError with exit code 1.
CLI::App* AddRegisterCommand(CLI::App& app);
