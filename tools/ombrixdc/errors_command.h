#pragma once
#include <CLI/CLI.hpp>

// `ombrixdc errors`: the error table as a Markdown table (docs/errors.md is its output).
void AddErrorsCommand(CLI::App& app);
