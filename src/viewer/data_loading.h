#pragma once
// How data reach the Radial Error View: a component's data sets after a run or on
// ShowGraphics (UpdateFromComponent), a data sets file the client names (OpenDataSetsFile),
// or one the user picks with File > Open... (OpenDataSetsFileFromDialog).
//
// Loads run on the client's thread, a run's worker thread or the viewer thread, one at a
// time; each ends by asking the window, when it exists, for a repaint. The process's current
// directory is never changed: relative file names are found in ViewerDirectory.
#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/ui/window_host.h"
#include "src/viewer/viewer_client.h"
#include "src/viewer/viewer_data.h"

namespace ombrixdc {

inline constexpr const char* kViewerBaseTitle = "OmbrixDC";

// Brings the viewer up to date with `client`: moves the window when the client's rectangle
// changed; then shows the data sets file the client names (opened at once when the client's
// viewer is open, else by the viewer thread when it starts), or the client's own data sets
// when its run produced corrected ones.
void UpdateFromComponent(ViewerClient& client);

// The viewer's picture of a finished run: the six sets with their fitted circles (the
// slow centre added to the slow sets, the fast centre to the others) and the feature.
ViewerDataSets RunViewerDataSets(const ClientRunData& run);
// Whether the reference scan of a run is shown: always after learning, else only while the
// slow and fast centres lie within twice the machine's repeatability.
int32_t RunReferenceVisibility(const ClientRunData& run, double slowSpeedRepeatability);

// Loads the data sets file `name` (relative names are in ViewerDirectory). When it was read
// and the window exists, the title becomes "OmbrixDC - " and the name as given. True when the
// whole file was read.
bool OpenDataSetsFile(const std::string& name);

// File > Open...: the open dialog in ViewerDirectory with the data file filters; a file read
// whole becomes what the window shows, titled "OmbrixDC - " and its file name. Viewer thread.
void OpenDataSetsFileFromDialog(ui::WindowHost& host);

// The file a data sets file name stands for: an absolute name itself, a relative one in
// `viewerDirectory` (or as given while that is empty).
std::filesystem::path ViewerFilePath(const std::string& name, const std::string& viewerDirectory);
// The part of a path after its last '/' or '\'.
std::string_view FileNamePart(std::string_view path);

}  // namespace ombrixdc
