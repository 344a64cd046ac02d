#pragma once
// `ombrixdc idl [--output FILE]`: writes the component's type library as interface
// definition language, from the same description that drives its dispatch.
#include <CLI/CLI.hpp>

// Adds the subcommand and returns it; its callback does the work and reports a file that
// cannot be written by throwing CLI::RuntimeError with exit code 1.
CLI::App* AddIdlCommand(CLI::App& app);
