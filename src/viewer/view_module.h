#pragma once
// The view module's entry point table. The Radial Error View and the drawing layer under it
// (Cairo, the fonts, the window server's client) live in a shared module of their own,
// libombrixdc-view.so, so that a process that never shows or draws a picture never maps them.
// The module exports one C function, kViewModuleEntryName, that returns this table; the
// component and the command line load the module on first use (view_module_loader.h) and
// reach everything through it. Both sides are built from the same sources in one build, so
// the table carries C++ types; its version tells a module of another build apart.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/render.h"
#include "platform/ui/window_host.h"
#include "src/viewer/data_sets_reader.h"
#include "src/viewer/render_view.h"
#include "src/viewer/viewer_client.h"
#include "src/viewer/viewer_data.h"
#include "src/viewer/viewer_state.h"

namespace ombrixdc {

inline constexpr const char* kViewModuleFileName = "libombrixdc-view.so";
inline constexpr const char* kViewModuleEntryName = "ombrixdc_view_module";
// Raised whenever the table changes.
inline constexpr uint32_t kViewModuleVersion = 1;

struct ViewModule {
  uint32_t version;
  uint32_t size;  // sizeof(ViewModule) of the module's build

  // ---- the Radial Error View of a component (viewer_thread.h, data_loading.h) ----
  bool (*adoptWindowRect)(const ui::Rect& current, const std::optional<ui::Rect>& requested);
  bool (*showViewer)(ViewerClient& client);
  bool (*closeViewerFor)(ViewerClient& client);
  void (*updateFromComponent)(ViewerClient& client);
  void (*forgetViewerClient)(ViewerClient& client);
  // How new viewer threads get their window; an empty factory restores the default.
  void (*setViewerHostFactory)(ViewerHostFactory factory);
  // The window server's window, or nothing with the reason in `whyNot`.
  std::unique_ptr<ui::WindowHost> (*startWindowServer)(std::string* whyNot);

  // ---- data sets files (data_sets_reader.h, data_loading.h) ----
  DataSetsReadResult (*readDataSetsFile)(const std::filesystem::path& path, ViewerDataSets& data,
                                         double slowSpeedRepeatability);
  std::optional<std::string> (*hiddenReferenceNote)(const CMaPoint& slowCentre,
                                                    const CMaPoint& fastCentre,
                                                    double slowSpeedRepeatability);
  std::filesystem::path (*viewerFilePath)(const std::string& name,
                                          const std::string& viewerDirectory);

  // ---- pictures without a window ----
  // The view as `input` describes it, with the installed logo and the built-in texts of the
  // process's language.
  RenderResult (*renderView)(const std::filesystem::path& path, ui::Size size, PaintInput input);
  // The view of a finished run as the viewer shows it after the run, reference drawn, at the
  // size of a new window.
  RenderResult (*renderRunView)(const std::filesystem::path& path, const ClientRunData& run);
  // Any paint on the project's canvas (ui::RenderToFile).
  bool (*renderToFile)(const std::string& path, ui::Size size, const ui::PaintFunction& paint,
                       std::string* whyNot);
};

using ViewModuleEntryFunction = const ViewModule* (*)();

}  // namespace ombrixdc

// The module's one export.
extern "C" const ombrixdc::ViewModule* ombrixdc_view_module();
