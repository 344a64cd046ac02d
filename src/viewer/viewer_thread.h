#pragma once
// The viewer's lifetime: ViewerThread, which owns the window and its message loop, and the
// operations a component uses to open, update and close it. One viewer per process: a
// component that asks while another component's viewer runs takes that viewer over.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/window_host.h"
#include "src/viewer/viewer_client.h"
#include "src/viewer/viewer_state.h"

namespace ombrixdc {

// The longest ShowGraphics waits for the new window to exist.
inline constexpr int32_t kWindowWaitMilliseconds = 1000;
// The longest ShowGraphicsComplete waits for the OnGraphicsClosed handlers to return.
inline constexpr std::chrono::milliseconds kClosedHandlerWait{1000};

// The window rectangle of a ShowGraphics call. The first call in the process takes the
// component's `current` one; a `requested` rectangle that differs from the process's becomes
// the process's. True when it differed (the window is to move).
bool AdoptWindowRect(const ui::Rect& current, const std::optional<ui::Rect>& requested);

// ShowGraphics once the component's geometry is set: brings an open viewer up to date and
// shows or hides it; takes over a viewer that serves another component; or starts
// ViewerThread and waits (at most kWindowWaitMilliseconds) for its window. False when no
// viewer thread could be started or its window could not be made, and when the last window's
// thread is still in its OnGraphicsClosed handlers after kClosedHandlerWait.
bool ShowViewer(ViewerClient& client);

// ShowGraphicsComplete: closes the viewer window that serves `client` and waits until its
// thread has finished, or until its OnGraphicsClosed handlers have run for kClosedHandlerWait.
// False, without waiting, when no viewer serves `client` (none started, or it has ended or is
// ending by another path: the user closed it, the window server died).
bool CloseViewerFor(ViewerClient& client);

// Asks the viewer thread to destroy its window and waits until the thread has finished; the
// wait also ends when the thread ends by any other path. Returns at once on the viewer
// thread itself (a client closing from inside OnGraphicsClosed).
void CloseViewer();

// A component going away: the viewer stops serving and showing it, and any use of it in
// progress on the viewer thread has finished when this returns.
void ForgetViewerClient(ViewerClient& client);

// The thread procedure: settings, texts, menu, the window, the named file, the message loop.
void ViewerThread(std::shared_ptr<ViewerSession> session);

// The window server, or nothing without a display (said once on stderr, with the reason).
std::unique_ptr<ui::WindowHost> DefaultViewerHost(std::string* whyNot);
// Replaces how new viewer threads get their host; an empty factory restores the default.
void SetViewerHostFactory(ViewerHostFactory factory);

// True while a viewer thread has a window that is not being destroyed.
bool ViewerRunning();

}  // namespace ombrixdc
