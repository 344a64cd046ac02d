#pragma once
// `ombrixdc render FILE -o OUT.{png,svg,pdf}`: draws what the Radial Error View would show for a
// data sets file into a picture, without a display.
#include <CLI/CLI.hpp>

void AddRenderCommand(CLI::App& app);
