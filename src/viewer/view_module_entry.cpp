// The view module's one export: its entry point table (view_module.h). Only this function
// leaves the module (the link step's version script hides everything else).
#include "platform/ui/window_server_host.h"
#include "src/viewer/data_loading.h"
#include "src/viewer/ring_scale.h"
#include "src/viewer/view_module.h"
#include "src/viewer/viewer_logo.h"
#include "src/viewer/viewer_text.h"
#include "src/viewer/viewer_thread.h"

namespace ombrixdc {
namespace {

RenderResult RenderView(const std::filesystem::path& path, ui::Size size, PaintInput input) {
  input.logo = LoadViewerLogo();
  input.text = BuiltInTextLookup(TextVariantFromEnvironment());
  return RenderViewToFile(path, size, input);
}

RenderResult RenderRunView(const std::filesystem::path& path, const ClientRunData& run) {
  PaintInput input;
  input.data = RunViewerDataSets(run);
  input.RingIndex = ChooseRingIndex(input.data).RingIndex;
  input.ShowReference = 1;
  return RenderView(path, kDefaultClientSize, std::move(input));
}

std::unique_ptr<ui::WindowHost> StartWindowServer(std::string* whyNot) {
  return ui::StartWindowServer(whyNot);
}

constexpr ViewModule kViewModule{
    .version = kViewModuleVersion,
    .size = sizeof(ViewModule),
    .adoptWindowRect = AdoptWindowRect,
    .showViewer = ShowViewer,
    .closeViewerFor = CloseViewerFor,
    .updateFromComponent = UpdateFromComponent,
    .forgetViewerClient = ForgetViewerClient,
    .setViewerHostFactory = SetViewerHostFactory,
    .startWindowServer = StartWindowServer,
    .readDataSetsFile = ReadViewerDataSetsFile,
    .hiddenReferenceNote = HiddenReferenceNote,
    .viewerFilePath = ViewerFilePath,
    .renderView = RenderView,
    .renderRunView = RenderRunView,
    .renderToFile = ui::RenderToFile,
};

}  // namespace
}  // namespace ombrixdc

extern "C" const ombrixdc::ViewModule* ombrixdc_view_module() {
  return &ombrixdc::kViewModule;
}
