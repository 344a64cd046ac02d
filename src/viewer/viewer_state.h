#pragma once
// ViewerState: everything the Radial Error View keeps, once per process. There is at most one
// viewer window per process, shared by every component object; each field's comment says
// which thread writes it and which reads it.
//
// Threads: the client's thread (ShowGraphics, ShowGraphicsComplete, a component's
// destruction), a run's worker thread (the refresh at the end of a run) and the viewer thread
// (window, paint, commands, File > Open).
//
// Locks, always taken in this order when more than one is held:
//   controlMutex  one start, hand-over or close of the viewer at a time (never taken on the
//                 viewer thread, so a client thread may wait for the viewer thread under it);
//   loadMutex     one data load at a time (file reading happens under it, never the paint);
//   sessionMutex  the session, the served component and its pins, the window rectangle;
//   dataMutex     the loaded data sets and ShownComponent, held briefly: the paint copies
//                 them out under it.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/com/com_ptr.h"
#include "platform/ui/window_host.h"
#include "platform/vexa/interfaces.h"
#include "src/viewer/viewer_client.h"
#include "src/viewer/viewer_data.h"

namespace ombrixdc {

// Makes the window host of a new viewer thread: the window server, or nullptr with the
// reason in `whyNot`.
using ViewerHostFactory = std::function<std::unique_ptr<ui::WindowHost>(std::string* whyNot)>;

// One run of ViewerThread, from its start to its end. Guarded by sessionMutex except `host`,
// whose methods may be called from any thread once it is set.
struct ViewerSession {
  std::shared_ptr<ui::WindowHost> host;  // set by the viewer thread when the window exists
  bool windowCreated = false;            // the window exists (or existed); WindowHandle is set
  bool ending = false;       // window destroyed or never made: this session takes no new client
  bool ended = false;        // the thread has done its last work with any component
  bool closedFired = false;  // OnGraphicsClosed fired for this window
  bool closedDelivering = false;  // the viewer thread is inside the OnGraphicsClosed handlers
  std::thread::id threadId;
};

struct ViewerState {
  // ---- view switches: kept across viewer threads within the process ----
  // Written by the commands (viewer thread); ShowReference and RingIndex also by the data
  // loading (client, worker or viewer thread). Read by the paint and the commands.
  std::atomic<int32_t> MetrologyView{1};
  std::atomic<int32_t> ShowGrid{1};
  std::atomic<int32_t> ShowReference{1};
  std::atomic<int32_t> ShowFast{1};
  std::atomic<int32_t> ShowCorrected{1};
  std::atomic<int32_t> RingIndex{-1};  // -1: no scale chosen, nothing plotted

  // ---- closing protocol ----
  // Set by CloseViewer (client thread); served and cleared by the viewer thread's loop.
  std::atomic<int32_t> CloseRequested{0};
  // Written by the viewer thread: 1 from window creation until the window is gone.
  std::atomic<int32_t> ViewerWindowOpen{0};

  // ---- read from the settings store when a viewer thread starts ----
  // Written by the viewer thread at its start; read by the paint and the data loading.
  std::atomic<double> SlowSpeedRepeatability{0.0};  // mm
  // WorkingDirectory followed directly by WorkingFolder; where File > Open starts and
  // where relative data sets file names are found. Guarded by sessionMutex.
  std::string ViewerDirectory;

  // ---- texts ----
  // The controller's error object, kept only while it supplies texts in the component's
  // language. Written and read by the viewer thread only.
  ComPtr<IVexa_error> ErrorObject;

  // ---- loaded data ----
  std::mutex dataMutex;
  // Written by the data loading, read by the paint's snapshot; guarded by dataMutex.
  ViewerDataSets Data;
  // The component whose own radii and angles the paint draws, or none (a file's data).
  // Written by the data loading and cleared by a component's destruction; guarded by
  // dataMutex, so the paint never reads a component that is gone.
  ViewerClient* ShownComponent = nullptr;

  std::mutex loadMutex;
  // Window titles of the two loading paths (dialog, named file); guarded by loadMutex.
  std::string DialogTitle;
  std::string NamedFileTitle;

  // ---- the session ----
  std::mutex controlMutex;
  std::mutex sessionMutex;
  std::condition_variable sessionChanged;  // window created, session ended, pins released
  std::shared_ptr<ViewerSession> Session;  // the current or last viewer thread's session
  std::thread Thread;                      // joined by the next start, a close or at exit
  // The component the viewer serves: OnGraphicsClosed and GraphicsOpen go to it. Written by
  // ShowGraphics (client thread) and cleared by a component's destruction.
  ViewerClient* Served = nullptr;
  int32_t ServedPins = 0;  // uses of Served in progress outside the lock
  // The window rectangle of the last ShowGraphics; the first call takes its component's.
  std::optional<ui::Rect> WindowRect;
  // How a viewer thread gets its window host (tests replace it).
  ViewerHostFactory HostFactory;

  ViewerState();
  ~ViewerState();  // closes a viewer still open and joins its thread
  ViewerState(const ViewerState&) = delete;
  ViewerState& operator=(const ViewerState&) = delete;

  // The host of the current session when its window exists, else nullptr.
  std::shared_ptr<ui::WindowHost> LiveHost();
};

ViewerState& ProcessViewerState();

}  // namespace ombrixdc
