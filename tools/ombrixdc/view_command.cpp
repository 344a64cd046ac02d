#include "tools/ombrixdc/view_command.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "platform/vexa/simulated_machine.h"
#include "src/component/circle_dc_component.h"
#include "src/component/view_module_loader.h"
#include "src/services/settings_read.h"

using namespace ombrixdc;

namespace {

struct ViewOptions {
  std::string file;
  std::string ini;
};

// Lets the main thread sleep until the window is gone.
class ClosedSink : public CircleDCEvents {
 public:
  void OnStatusChange(int32_t) override {}
  void PerformCircleComplete(int32_t) override {}
  void OnGraphicsClosed() override {
    std::lock_guard lock(mutex_);
    closed_ = true;
    done_.notify_all();
  }
  // True once OnGraphicsClosed arrived; waits at most `timeout`.
  bool WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, timeout, [this] { return closed_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool closed_ = false;
};

// The name the viewer is given: as the user typed it (the window's title shows it), unless
// the settings' working directory would make the viewer find another file under that name.
std::string NameForViewer(const ViewModule& view, const std::string& file,
                          const CircleDCComponent& component) {
  std::string directory;
  if (const auto settings = ReadViewerSettings(component.IniFilepath.Get().value_or(""));
      settings && settings->workingDirectory && !settings->workingDirectory->empty()) {
    directory = *settings->workingDirectory + component.WorkingFolder.Get().value_or("");
  }
  std::error_code error;
  if (directory.empty() ||
      std::filesystem::equivalent(view.viewerFilePath(file, directory), file, error)) {
    return file;
  }
  return std::filesystem::absolute(file).string();
}

// What the user should know before looking: a damaged file, a hidden reference curve. True
// when the file is damaged.
bool SayWhatTheFileHolds(const ViewModule& view, const std::string& file,
                         const CircleDCComponent& component) {
  double repeatability = 0.0;
  if (const auto settings = ReadViewerSettings(component.IniFilepath.Get().value_or(""))) {
    repeatability = settings->slowSpeedRepeatability;
  }
  ViewerDataSets data;
  const DataSetsReadResult read = view.readDataSetsFile(file, data, repeatability);
  if (!read.ok) {
    std::fprintf(stderr, "ombrixdc view: %s is damaged (%s); the window shows what was read\n",
                 file.c_str(), read.damage.empty() ? "unreadable" : read.damage.c_str());
    return true;
  }
  if (const auto note =
          view.hiddenReferenceNote(data.sets[0].centre, data.sets[1].centre, repeatability)) {
    std::fprintf(stderr, "ombrixdc view: %s\n", note->c_str());
  }
  return false;
}

int RunView(const ViewOptions& options) {
  if (!options.file.empty() && !std::filesystem::is_regular_file(options.file)) {
    std::fprintf(stderr, "ombrixdc view: no such file: %s\n", options.file.c_str());
    return 1;
  }
  std::string whyNot;
  const ViewModule* view = LoadViewModule(&whyNot);
  if (!view) {
    std::fprintf(stderr, "ombrixdc view: %s\n", whyNot.c_str());
    return 1;
  }
  // The settings store (repeatability, working directory) and translated texts.
  vexa_sim::RegisterSimulatedController();
  // A window or nothing: this command exists to show one.
  whyNot = "the window could not be made";
  view->setViewerHostFactory([view, &whyNot](std::string* reason) {
    std::unique_ptr<ui::WindowHost> host = view->startWindowServer(reason);
    if (!host && reason && !reason->empty()) {
      whyNot = *reason;
    }
    return host;
  });

  CircleDCComponent component;
  auto sink = std::make_shared<ClosedSink>();
  component.Sinks.Connect(sink);
  if (!options.ini.empty()) {
    component.IniFilepath.Set(options.ini);
  }
  const bool damaged = !options.file.empty() && SayWhatTheFileHolds(*view, options.file, component);
  const OptionalText file = options.file.empty()
                                ? std::nullopt
                                : OptionalText(NameForViewer(*view, options.file, component));
  LONG closed = 1;
  if (component.ShowGraphics(0, 0, 0, 0, file) != S_OK ||
      (component.GetGraphicsClosed(&closed), closed != 0)) {
    std::fprintf(stderr, "ombrixdc view: no display to show the window on: %s\n", whyNot.c_str());
    return 1;
  }
  std::printf("Radial Error View open (window 0x%x); close it to return.\n",
              static_cast<unsigned>(component.WindowHandle.Get()));
  std::fflush(stdout);
  // The event says it first; GetGraphicsClosed covers a window that went without one.
  while (!sink->WaitFor(std::chrono::milliseconds(200))) {
    component.GetGraphicsClosed(&closed);
    if (closed != 0) {
      break;
    }
  }
  // A damaged file was shown as far as it could be read, but it is no valid data sets file.
  return damaged ? 1 : 0;
}

}  // namespace

void AddViewCommand(CLI::App& app) {
  auto options = std::make_shared<ViewOptions>();
  CLI::App* view = app.add_subcommand(
      "view", "Open the Radial Error View on a data sets file and wait until it is closed");
  view->add_option("FILE", options->file, "Data sets file to show (as SaveData writes it)");
  view->add_option("--ini", options->ini,
                   "Controller settings file (machine repeatability, working directory)");
  view->callback([options] { throw CLI::RuntimeError(RunView(*options)); });
}
