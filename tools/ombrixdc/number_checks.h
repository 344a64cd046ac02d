#pragma once
// Checks of command-line values, with messages that say what is wrong with the text given.
#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "src/viewer/render_view.h"

// The text as a number in the "C" form, or nullopt when it is none (or out of range).
inline std::optional<double> NumberFromText(const std::string& text) {
  double value = 0.0;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(text.data(), last, value);
  if (text.empty() || end != last || error == std::errc::invalid_argument) {
    return std::nullopt;
  }
  if (error == std::errc::result_out_of_range) {
    return std::nan("");  // reported as not finite below
  }
  return value;
}

// A finite number: probe offsets are stored in map files and compared with later runs.
inline CLI::Validator FiniteNumber() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        const std::optional<double> value = NumberFromText(text);
        if (!value) {
          return "not a number: " + text;
        }
        if (!std::isfinite(*value)) {
          return "must be a finite number: " + text;
        }
        return {};
      },
      "NUMBER");
}

// A finite number greater than 0 (a speed, a length, a time), named `what` in the help; `kind`
// says in the message what it must be ("number", "number of seconds").
inline CLI::Validator PositiveNumber(const char* what, const char* kind = "number") {
  return CLI::Validator(
      [kind](std::string& text) -> std::string {
        const std::optional<double> value = NumberFromText(text);
        if (!value) {
          return "not a number: " + text;
        }
        if (!(*value > 0.0 && std::isfinite(*value))) {
          return std::string("must be a finite ") + kind + " greater than 0: " + text;
        }
        return {};
      },
      what);
}

// A whole number from 1 to the largest 32-bit integer (a map number, an age in hours), named
// `what` in the help; `kind` says in the message what it must be.
inline CLI::Validator PositiveWholeNumber(const char* what, const char* kind = "number") {
  return CLI::Validator(
      [kind](std::string& text) -> std::string {
        int32_t value = 0;
        const char* last = text.data() + text.size();
        const auto [end, error] = std::from_chars(text.data(), last, value);
        if (text.empty() || end != last || error != std::errc() || value < 1) {
          return std::string("must be a whole ") + kind + ", 1 or more: " + text;
        }
        return {};
      },
      what);
}

// A finite number of seconds greater than 0.
inline CLI::Validator PositiveSeconds() {
  return PositiveNumber("SECONDS", "number of seconds");
}

inline CLI::Validator NonEmptyText() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        return text.empty() ? "must not be empty" : std::string();
      },
      "NAME");
}

// A picture's file name, which says its format: OUT.png, OUT.svg or OUT.pdf, in a folder that
// is there (found now, not after the work that draws it).
inline CLI::Validator PictureName() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        if (!ombrixdc::RenderFormatFromPath(text)) {
          return "the picture's name must end in .png, .svg or .pdf: " + text;
        }
        const std::filesystem::path folder = std::filesystem::path(text).parent_path();
        std::error_code ec;
        if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
          return "no folder " + folder.string() + " to write " + text + " in";
        }
        return {};
      },
      "OUT");
}
