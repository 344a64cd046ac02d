#include "src/viewer/data_loading.h"

#include <array>
#include <mutex>
#include <optional>

#include "src/viewer/data_sets_reader.h"
#include "src/viewer/ring_scale.h"
#include "src/viewer/viewer_commands.h"
#include "src/viewer/viewer_state.h"

namespace ombrixdc {
namespace {

std::string ViewerDirectoryNow(ViewerState& state) {
  std::lock_guard lock(state.sessionMutex);
  return state.ViewerDirectory;
}

void SetShownComponent(ViewerState& state, ViewerClient* client) {
  std::lock_guard lock(state.dataMutex);
  state.ShownComponent = client;
}

// Reads `path` into the viewer's data sets. What was read before a damaged part stays, as the
// file's reader promises, so the whole copy goes back even when the read failed.
DataSetsReadResult ReadIntoViewer(ViewerState& state, const std::filesystem::path& path) {
  ViewerDataSets data;
  {
    std::lock_guard lock(state.dataMutex);
    data = state.Data;
  }
  const DataSetsReadResult result =
      ReadViewerDataSetsFile(path, data, state.SlowSpeedRepeatability.load());
  {
    std::lock_guard lock(state.dataMutex);
    state.Data = std::move(data);
  }
  if (result.ok) {
    state.ShowReference = result.ShowReference;
    state.RingIndex = result.ring.RingIndex;
  }
  return result;
}

// A damaged file keeps what was read before the damage in the picture; the status bar says
// that the picture is incomplete and where the file is damaged.
void ShowDamage(ui::WindowHost& host, const std::string& name, const DataSetsReadResult& result) {
  if (result.damage.empty()) {
    return;
  }
  host.SetStatusText(
      CutText("Damaged data sets file (" + result.damage + "); showing what was read: " + name,
              kMaxStatusLength));
  host.Invalidate();
}

void ShowNewData(ui::WindowHost& host, const std::string& title, int32_t showReference) {
  host.SetTitle(title);
  ShowReferenceChecks(host, showReference);
  host.Invalidate();
}

bool OpenDataSetsFileLocked(ViewerState& state, const std::string& name) {
  const DataSetsReadResult result =
      ReadIntoViewer(state, ViewerFilePath(name, ViewerDirectoryNow(state)));
  if (!result.ok) {
    if (const std::shared_ptr<ui::WindowHost> host = state.LiveHost()) {
      ShowDamage(*host, name, result);
    }
    return false;
  }
  if (const std::shared_ptr<ui::WindowHost> host = state.LiveHost()) {
    state.NamedFileTitle = std::string(kViewerBaseTitle) + " - " + name;
    ShowNewData(*host, state.NamedFileTitle, result.ShowReference);
  }
  return true;
}

// Puts the component's run in the picture: its data sets, the ring scale and whether the
// reference scan is worth showing.
void TakeRunData(ViewerState& state, ViewerClient& client, const ClientRunData& run) {
  ViewerDataSets data = RunViewerDataSets(run);
  const RingIndexChoice ring = ChooseRingIndex(data);
  const int32_t showReference = RunReferenceVisibility(run, state.SlowSpeedRepeatability);
  {
    std::lock_guard lock(state.dataMutex);
    state.Data = std::move(data);
    state.ShownComponent = &client;
  }
  state.RingIndex = ring.RingIndex;
  state.ShowReference = showReference;
  if (const std::shared_ptr<ui::WindowHost> host = state.LiveHost()) {
    ShowReferenceChecks(*host, showReference);
    host->Invalidate();
  }
}

}  // namespace

std::filesystem::path ViewerFilePath(const std::string& name, const std::string& viewerDirectory) {
  const std::filesystem::path path(name);
  if (viewerDirectory.empty() || path.is_absolute()) {
    return path;
  }
  return std::filesystem::path(viewerDirectory) / path;
}

std::string_view FileNamePart(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void UpdateFromComponent(ViewerClient& client) {
  ViewerState& state = ProcessViewerState();
  std::lock_guard load(state.loadMutex);
  const std::shared_ptr<ui::WindowHost> host = state.LiveHost();
  const bool open = client.GraphicsOpen();
  if (open && host) {
    host->BringToFront();
  }

  const std::optional<std::string> fileName = client.GraphicsFilename();
  const bool namesFile = fileName && !fileName->empty();
  if (client.WindowRectChanged() && host) {
    host->Move(client.WindowRect());
    if (!namesFile) {
      host->Invalidate();
    }
  }
  if (namesFile) {
    // A viewer thread that is only starting opens the file itself.
    if (open) {
      OpenDataSetsFileLocked(state, *fileName);
    }
    SetShownComponent(state, nullptr);
    return;
  }

  const ClientRunData run = client.RunData();
  // Both corrected sets exist only after a run that finished; before that the viewer keeps
  // showing what it has.
  if (run.DataSets[2].radii.IsEmpty() || run.DataSets[5].radii.IsEmpty()) {
    SetShownComponent(state, nullptr);
    return;
  }
  TakeRunData(state, client, run);
}

bool OpenDataSetsFile(const std::string& name) {
  ViewerState& state = ProcessViewerState();
  std::lock_guard load(state.loadMutex);
  return OpenDataSetsFileLocked(state, name);
}

void OpenDataSetsFileFromDialog(ui::WindowHost& host) {
  ViewerState& state = ProcessViewerState();
  const std::string directory = ViewerDirectoryNow(state);
  ui::OpenFileRequest request;
  request.startDirectory = directory;
  request.filters = {{"Data Files (*.dat)", "*.dat"}, {"All Files (*.*)", "*.*"}};
  // The user takes their time here; no load is held up meanwhile.
  const std::optional<std::string> chosen = host.OpenFileDialog(request);
  if (!chosen || chosen->empty()) {
    return;
  }

  std::lock_guard load(state.loadMutex);
  const DataSetsReadResult result = ReadIntoViewer(state, ViewerFilePath(*chosen, directory));
  if (!result.ok) {
    ShowDamage(host, std::string(FileNamePart(*chosen)), result);
    return;
  }
  state.DialogTitle = std::string(kViewerBaseTitle) + " - " + std::string(FileNamePart(*chosen));
  SetShownComponent(state, nullptr);
  ShowNewData(host, state.DialogTitle, result.ShowReference);
}

ViewerDataSets RunViewerDataSets(const ClientRunData& run) {
  ViewerDataSets data;
  std::array<const DataSet*, kViewerDataSetCount> sets{};
  for (size_t k = 0; k < sets.size(); ++k) {
    sets[k] = &run.DataSets[k];
  }
  FitViewerDataSets(data, sets, run.SlowCentre, run.FastCentre);
  static_cast<ViewerFeature&>(data) = run;
  data.CorrectedSpeed = run.FastSpeed;
  return data;
}

int32_t RunReferenceVisibility(const ClientRunData& run, double slowSpeedRepeatability) {
  // A learning run scanned the reference itself, so it always belongs in the picture.
  if (run.Learning == 1) {
    return 1;
  }
  return ReferenceVisibility(run.SlowCentre, run.FastCentre, slowSpeedRepeatability);
}

}  // namespace ombrixdc
