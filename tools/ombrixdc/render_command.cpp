#include "tools/ombrixdc/render_command.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/vexa/ini_file.h"
#include "src/component/view_module_loader.h"
#include "src/viewer/render_view.h"
#include "src/viewer/viewer_commands.h"
#include "tools/ombrixdc/number_checks.h"

using namespace ombrixdc;

namespace {

// Larger pictures than this are a typing error, not a window.
constexpr int32_t kMaxSide = 8192;
// Smaller than the viewer window's own smallest client area, the legend, the scale and the
// results panel overlap or are cut off.
constexpr ui::Size kMinSize = ombrixdc::kMinClientSize;

struct RenderOptions {
  std::string file;
  std::string output;
  std::string size;
  std::string view = "metrology";
  std::string ini;
  std::vector<std::string> hide;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "ombrixdc render: %s\n", message.c_str());
  return 1;
}

std::optional<int32_t> ParseSide(std::string_view text, int32_t least) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value < least ||
      value > kMaxSide) {
    return std::nullopt;
  }
  return value;
}

// "WxH" in pixels, e.g. "1024x768", within kMinSize and kMaxSide.
std::optional<ui::Size> ParseSize(const std::string& text) {
  const auto x = text.find_first_of("xX");
  if (x == std::string::npos) {
    return std::nullopt;
  }
  const auto width = ParseSide(std::string_view(text).substr(0, x), kMinSize.width);
  const auto height = ParseSide(std::string_view(text).substr(x + 1), kMinSize.height);
  if (!width || !height) {
    return std::nullopt;
  }
  return ui::Size{*width, *height};
}

// Bad sizes and picture names are usage errors, found before any file is read.
CLI::Validator SizeText() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        if (ParseSize(text)) {
          return {};
        }
        return "must be WIDTHxHEIGHT in pixels, from " + std::to_string(kMinSize.width) + "x" +
               std::to_string(kMinSize.height) + " (smaller, the texts do not fit) to " +
               std::to_string(kMaxSide) + "x" + std::to_string(kMaxSide) + ": " + text;
      },
      "WxH");
}

// The machine repeatability the viewer shows: SlowSpeedRepeatability of section OmbrixDC (mm,
// 0 when missing). An error message when the settings file cannot be used.
std::optional<std::string> ReadRepeatability(const std::string& ini, double& repeatability) {
  repeatability = 0.0;
  if (ini.empty()) {
    return std::nullopt;
  }
  const auto lookup = vexa_sim::LookUpIniValue(ini, "OmbrixDC", "SlowSpeedRepeatability");
  using Outcome = vexa_sim::IniLookup::Outcome;
  if (lookup.outcome == Outcome::Unreadable) {
    return "cannot read the settings file " + ini + " (missing, unreadable or not INI syntax)";
  }
  if (lookup.outcome == Outcome::Missing) {
    return std::nullopt;
  }
  const std::string& text = lookup.value;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), repeatability);
  if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(repeatability)) {
    return "SlowSpeedRepeatability in " + ini + " is not a number: " + text;
  }
  return std::nullopt;
}

int Render(const RenderOptions& options) {
  // Both were checked as the command line was read.
  const ui::Size size =
      options.size.empty() ? ombrixdc::kDefaultClientSize : *ParseSize(options.size);

  ombrixdc::PaintInput input;
  if (auto error = ReadRepeatability(options.ini, input.SlowSpeedRepeatability)) {
    return Fail(*error);
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(options.file, ec)) {
    return Fail("no such data sets file: " + options.file);
  }
  std::string whyNot;
  const ViewModule* view = LoadViewModule(&whyNot);
  if (!view) {
    return Fail(whyNot);
  }
  const auto read = view->readDataSetsFile(options.file, input.data, input.SlowSpeedRepeatability);
  if (!read.ok) {
    return Fail("cannot read " + options.file + ": " +
                (read.damage.empty() ? "unreadable" : "damaged (" + read.damage + ")"));
  }

  const bool userHides = std::ranges::find(options.hide, "reference") != options.hide.end();
  if (const auto note = view->hiddenReferenceNote(
          input.data.sets[0].centre, input.data.sets[1].centre, input.SlowSpeedRepeatability);
      note && !userHides) {
    std::fprintf(stderr, "ombrixdc render: %s\n", note->c_str());
  }
  input.MetrologyView = options.view == "metrology" ? 1 : 0;
  input.ShowReference = read.ShowReference;
  input.RingIndex = read.ring.RingIndex;
  for (const std::string& curve : options.hide) {
    if (curve == "reference") {
      input.ShowReference = 0;
    } else if (curve == "fast") {
      input.ShowFast = 0;
    } else {
      input.ShowCorrected = 0;
    }
  }
  const auto result = view->renderView(options.output, size, std::move(input));
  if (!result.ok) {
    return Fail(result.error);
  }
  std::printf("%s\n", options.output.c_str());
  return 0;
}

}  // namespace

void AddRenderCommand(CLI::App& app) {
  auto options = std::make_shared<RenderOptions>();
  CLI::App* render = app.add_subcommand(
      "render", "Draw the Radial Error View of a data sets file into a PNG, SVG or PDF file");
  render->add_option("FILE", options->file, "Data sets file (as SaveData writes it)")->required();
  render
      ->add_option("-o,--output", options->output, "Picture to write: OUT.png, OUT.svg or OUT.pdf")
      ->required()
      ->check(PictureName());
  render
      ->add_option("--size", options->size,
                   "Client area WIDTHxHEIGHT in pixels (default 760x531, the client area of a "
                   "new 768 x 577 viewer window, also the smallest)")
      ->check(SizeText());
  render->add_option("--view", options->view, "Data sets shown (default metrology)")
      ->check(CLI::IsMember({"metrology", "normalised"}));
  render->add_option("--ini", options->ini,
                     "Settings file; its OmbrixDC SlowSpeedRepeatability is shown as the machine "
                     "repeatability (default 0)");
  // One curve a --hide, so that a file name after it is not taken for a second curve.
  render->add_option("--hide", options->hide, "Hide a curve (repeatable)")
      ->allow_extra_args(false)
      ->check(CLI::IsMember({"reference", "fast", "corrected"}));
  render->callback([options] { throw CLI::RuntimeError(Render(*options)); });
}
