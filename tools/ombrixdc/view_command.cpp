#include "tools/ombrixdc/view_command.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "platform/ui/window_server_host.h"
#include "platform/vexa/simulated_machine.h"
#include "src/component/circle_dc_component.h"
#include "src/viewer/viewer_thread.h"

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

int RunView(const ViewOptions& options) {
  if (!options.file.empty() && !std::filesystem::is_regular_file(options.file)) {
    std::fprintf(stderr, "ombrixdc view: no such file: %s\n", options.file.c_str());
    return 1;
  }
  // The settings store (repeatability, working directory) and translated texts.
  vexa_sim::RegisterSimulatedController();
  // A window or nothing: this command exists to show one.
  std::string whyNot = "the window could not be made";
  ombrixdc::SetViewerHostFactory([&whyNot](std::string* reason) {
    std::unique_ptr<ui::WindowHost> host = ui::StartWindowServer(reason);
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
  const OptionalText file = options.file.empty()
                                ? std::nullopt
                                : OptionalText(std::filesystem::absolute(options.file).string());
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
  return 0;
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
