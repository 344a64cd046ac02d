#include "src/viewer/viewer_thread.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <system_error>
#include <utility>

#include "src/viewer/data_loading.h"
#include "src/viewer/viewer_commands.h"
#include "src/viewer/viewer_logo.h"
#include "src/viewer/viewer_text_choice.h"
#include "src/viewer/viewer_window.h"

namespace ombrixdc {
namespace {

bool OnViewerThread(ViewerState& state) {
  std::lock_guard lock(state.sessionMutex);
  return state.Session && state.Session->threadId == std::this_thread::get_id();
}

// The viewer thread never waits for controlMutex: a client thread holding it may be waiting
// for the viewer thread to end (a sink calling ShowGraphics from inside OnGraphicsClosed).
std::unique_lock<std::mutex> LockControl(ViewerState& state) {
  if (OnViewerThread(state)) {
    return std::unique_lock(state.controlMutex, std::try_to_lock);
  }
  return std::unique_lock(state.controlMutex);
}

// The served component, kept from being destroyed while this is alive (ForgetViewerClient
// waits for it).
class ServedPin {
 public:
  explicit ServedPin(ViewerState& state, ViewerClient* client) : state_(state), client_(client) {}
  // Pins whatever is served now; call with sessionMutex held.
  static ServedPin PinLocked(ViewerState& state) {
    if (state.Served) {
      ++state.ServedPins;
    }
    return ServedPin(state, state.Served);
  }
  static ServedPin Pin(ViewerState& state) {
    std::lock_guard lock(state.sessionMutex);
    return PinLocked(state);
  }
  ServedPin(ServedPin&& other) noexcept
      : state_(other.state_), client_(std::exchange(other.client_, nullptr)) {}
  ServedPin(const ServedPin&) = delete;
  ServedPin& operator=(const ServedPin&) = delete;
  ServedPin& operator=(ServedPin&&) = delete;
  ~ServedPin() {
    if (!client_) {
      return;
    }
    std::lock_guard lock(state_.sessionMutex);
    --state_.ServedPins;
    state_.sessionChanged.notify_all();
  }
  ViewerClient* get() const { return client_; }

 private:
  ViewerState& state_;
  ViewerClient* client_;
};

void ReadViewerSettingsInto(ViewerState& state, ViewerClient& client) {
  const std::optional<ViewerSettings> settings = client.Settings();
  if (!settings) {
    return;
  }
  state.SlowSpeedRepeatability = settings->slowSpeedRepeatability;
  std::string directory = settings->workingDirectory.value_or("");
  // The same folder the component's runs use: the working directory and the working folder
  // side by side, exactly as written in the settings.
  if (!directory.empty()) {
    directory += client.WorkingFolder().value_or("");
  }
  std::lock_guard lock(state.sessionMutex);
  state.ViewerDirectory = std::move(directory);
}

std::unique_ptr<ui::WindowHost> MakeHost(ViewerState& state, std::string* whyNot) {
  ViewerHostFactory factory;
  {
    std::lock_guard lock(state.sessionMutex);
    factory = state.HostFactory;
  }
  return factory ? factory(whyNot) : DefaultViewerHost(whyNot);
}

// What the thread needs from its component before the window exists.
struct WindowStart {
  ui::WindowDescription windowDescription;
  TextLookup text;
};

WindowStart PrepareWindow(ViewerState& state) {
  WindowStart start;
  const ServedPin pin = ServedPin::Pin(state);
  ViewerClient* client = pin.get();
  if (client) {
    ReadViewerSettingsInto(state, *client);
  }
  state.ErrorObject = client ? ErrorObjectForLanguage(*client) : nullptr;
  start.text = ViewerTextLookup(state.ErrorObject, TextVariantFromEnvironment());

  ui::WindowDescription& windowDescription = start.windowDescription;
  windowDescription.menu = state.ErrorObject ? MenuFromTexts(start.text) : BuiltInMenu();
  if (windowDescription.menu.empty()) {
    windowDescription.menu = BuiltInMenu();
  }
  // The checks show the switches as they are: they live on from an earlier window.
  SetMenuChecks(windowDescription.menu, state);
  windowDescription.toolbar = ViewerToolbar(state);
  windowDescription.title = kViewerBaseTitle;
  windowDescription.frame = client ? client->WindowRect() : ui::Rect{100, 100, 868, 677};
  windowDescription.visible = client ? client->WindowVisible() : true;
  windowDescription.statusText = CutText(start.text(kTextReady), kMaxStatusLength);
  return start;
}

void SetClosedDelivering(ViewerState& state, ViewerSession& session, bool delivering) {
  std::lock_guard lock(state.sessionMutex);
  session.closedDelivering = delivering;
  state.sessionChanged.notify_all();
}

// The window is gone, whoever closed it: the served component hears it once.
void WindowDestroyed(ViewerState& state, ViewerSession& session) {
  std::optional<ServedPin> pin;
  {
    std::lock_guard lock(state.sessionMutex);
    if (std::exchange(session.closedFired, true)) {
      return;
    }
    session.ending = true;
    pin.emplace(ServedPin::PinLocked(state));
    state.sessionChanged.notify_all();
  }
  if (ViewerClient* client = pin->get()) {
    // Cleared first, so a client asking GetGraphicsClosed from its handler hears "closed".
    client->SetGraphicsOpen(false);
    SetClosedDelivering(state, session, true);
    client->FireOnGraphicsClosed();  // the client may be gone after it
    SetClosedDelivering(state, session, false);
  }
}

void WindowNotCreated(ViewerState& state, ViewerSession& session) {
  std::optional<ServedPin> pin;
  {
    std::lock_guard lock(state.sessionMutex);
    session.ending = true;
    pin.emplace(ServedPin::PinLocked(state));
    state.sessionChanged.notify_all();
  }
  if (ViewerClient* client = pin->get()) {
    client->SetWindowHandle(0);
    client->SetGraphicsOpen(false);
  }
}

void WindowCreated(ViewerState& state, ViewerSession& session,
                   std::shared_ptr<ui::WindowHost> host) {
  const int32_t handle = static_cast<int32_t>(host->NativeId());
  std::optional<ServedPin> pin;
  {
    std::lock_guard lock(state.sessionMutex);
    session.host = std::move(host);
    session.windowCreated = true;
    pin.emplace(ServedPin::PinLocked(state));
  }
  if (ViewerClient* client = pin->get()) {
    client->SetWindowHandle(handle);
  }
  state.ViewerWindowOpen = 1;
  session.host->Invalidate();  // the first picture
  std::lock_guard lock(state.sessionMutex);
  state.sessionChanged.notify_all();
}

void RunMessageLoop(ViewerState& state, ui::WindowHost& host, ViewerWindow& window) {
  for (;;) {
    // Looked at before every wait too, so a close asked for while the window was being
    // made is served without needing another event.
    if (state.CloseRequested.load() != 0) {
      host.Destroy();
      state.CloseRequested = 0;
      state.ViewerWindowOpen = 0;
    }
    if (!host.DispatchNext(window)) {
      break;
    }
  }
}

void FinishSession(ViewerState& state, ViewerSession& session) {
  state.ViewerWindowOpen = 0;
  state.ErrorObject = nullptr;
  std::lock_guard lock(state.sessionMutex);
  session.ending = true;
  session.ended = true;
  state.sessionChanged.notify_all();
}

void OpenNamedFileAtStart(ViewerState& state) {
  std::optional<std::string> fileName;
  {
    const ServedPin pin = ServedPin::Pin(state);
    if (pin.get()) {
      fileName = pin.get()->GraphicsFilename();
    }
  }
  if (fileName && !fileName->empty()) {
    OpenDataSetsFile(*fileName);
  }
}

void ShowOrHide(ViewerState& state, ViewerClient& client) {
  if (const std::shared_ptr<ui::WindowHost> host = state.LiveHost()) {
    host->Show(client.WindowVisible());
  }
}

// Waits until `session` has ended; false when its OnGraphicsClosed handlers have run for
// kClosedHandlerWait. A client may close while holding a lock of its own that its handler
// takes too: waiting for that handler would wait for ever. The thread then ends, and is joined
// later (by a later viewer's start or at exit), when the client lets the handler go on.
bool WaitForSessionEnd(ViewerState& state, ViewerSession& session) {
  std::unique_lock lock(state.sessionMutex);
  while (!session.ended) {
    if (session.closedDelivering) {
      if (!state.sessionChanged.wait_for(lock, kClosedHandlerWait, [&] {
            return session.ended || !session.closedDelivering;
          })) {
        return false;
      }
    } else {
      state.sessionChanged.wait(lock, [&] { return session.ended || session.closedDelivering; });
    }
  }
  return true;
}

// Serves CloseRequested and waits for the thread; the caller holds controlMutex.
void CloseViewerLocked(ViewerState& state) {
  state.CloseRequested = 1;
  std::shared_ptr<ViewerSession> session;
  std::shared_ptr<ui::WindowHost> host;
  {
    std::lock_guard lock(state.sessionMutex);
    session = state.Session;
    if (session) {
      host = session->host;
    }
  }
  // The loop looks at the flag before each wait; the wake ends a wait already begun. An
  // open-file dialog would hold the loop until a person answers it: it is cancelled.
  if (host) {
    host->Wake();
    host->EndDialogs();
  }
  if (!session || OnViewerThread(state)) {
    return;
  }
  if (WaitForSessionEnd(state, *session) && state.Thread.joinable()) {
    state.Thread.join();
  }
}

bool StartViewer(ViewerState& state, ViewerClient& client) {
  if (OnViewerThread(state)) {
    return false;  // its own thread is ending; it cannot wait for itself
  }
  if (state.Thread.joinable()) {
    std::shared_ptr<ViewerSession> last;
    {
      std::lock_guard lock(state.sessionMutex);
      last = state.Session;
    }
    // The last window's thread is ending; if its handlers wait for a lock the caller holds,
    // no new viewer starts (a later call finds the thread ended).
    if (last && !WaitForSessionEnd(state, *last)) {
      return false;
    }
    state.Thread.join();
  }
  UpdateFromComponent(client);
  auto session = std::make_shared<ViewerSession>();
  {
    std::lock_guard lock(state.sessionMutex);
    state.Session = session;
    state.Served = &client;
  }
  state.CloseRequested = 0;
  client.SetGraphicsOpen(true);
  try {
    state.Thread = std::thread(ViewerThread, session);
  } catch (const std::system_error&) {
    std::lock_guard lock(state.sessionMutex);
    session->ending = session->ended = true;
    state.Served = nullptr;
    client.SetGraphicsOpen(false);
    return false;
  }
  // The client may ask for WindowHandle as soon as ShowGraphics returns; a window that could
  // not be made has cleared GraphicsOpen by the time the thread has ended.
  std::unique_lock lock(state.sessionMutex);
  state.sessionChanged.wait_for(lock, std::chrono::milliseconds(kWindowWaitMilliseconds),
                                [&] { return session->windowCreated || session->ended; });
  return session->windowCreated || !session->ended;
}

}  // namespace

bool AdoptWindowRect(const ui::Rect& current, const std::optional<ui::Rect>& requested) {
  ViewerState& state = ProcessViewerState();
  std::lock_guard lock(state.sessionMutex);
  if (!state.WindowRect) {
    state.WindowRect = current;
  }
  if (!requested || *requested == *state.WindowRect) {
    return false;
  }
  state.WindowRect = *requested;
  return true;
}

bool ShowViewer(ViewerClient& client) {
  ViewerState& state = ProcessViewerState();
  const std::unique_lock control = LockControl(state);
  if (!control.owns_lock()) {
    return false;
  }
  enum class Path { Update, TakeOver, Start } path = Path::Start;
  std::optional<ServedPin> previous;
  {
    std::lock_guard lock(state.sessionMutex);
    const bool live = state.Session && !state.Session->ending;
    if (live && state.Served == &client && client.GraphicsOpen()) {
      path = Path::Update;
    } else if (live) {
      path = Path::TakeOver;
      if (state.Served != &client) {
        previous.emplace(ServedPin::PinLocked(state));
      }
      state.Served = &client;
    }
  }

  if (path == Path::Start) {
    return StartViewer(state, client);
  }
  if (path == Path::Update) {
    const std::optional<std::string> fileName = client.GraphicsFilename();
    if (client.WindowRectChanged() || (fileName && !fileName->empty())) {
      UpdateFromComponent(client);
    }
    ShowOrHide(state, client);
    return true;
  }
  // One window per process: the component that asked last is the one it serves.
  if (previous && previous->get()) {
    previous->get()->SetGraphicsOpen(false);
  }
  client.SetGraphicsOpen(true);
  if (const std::shared_ptr<ui::WindowHost> host = state.LiveHost()) {
    client.SetWindowHandle(static_cast<int32_t>(host->NativeId()));
  }
  UpdateFromComponent(client);
  ShowOrHide(state, client);
  return true;
}

bool CloseViewerFor(ViewerClient& client) {
  ViewerState& state = ProcessViewerState();
  {
    std::lock_guard lock(state.sessionMutex);
    if (!state.Session || state.Session->ending || state.Served != &client) {
      return false;
    }
  }
  const std::unique_lock control = LockControl(state);
  if (control.owns_lock()) {
    CloseViewerLocked(state);
  } else {
    // On the viewer thread: the loop serves the request once this event is handled.
    state.CloseRequested = 1;
  }
  client.SetGraphicsOpen(false);
  return true;
}

void CloseViewer() {
  ViewerState& state = ProcessViewerState();
  const std::unique_lock control = LockControl(state);
  if (control.owns_lock()) {
    CloseViewerLocked(state);
  } else {
    state.CloseRequested = 1;
  }
}

void ForgetViewerClient(ViewerClient& client) {
  ViewerState& state = ProcessViewerState();
  const bool onViewerThread = OnViewerThread(state);
  {
    std::unique_lock lock(state.sessionMutex);
    if (state.Served == &client) {
      state.Served = nullptr;
    }
    // On the viewer thread the pin, if any, is this very call's caller's: nothing to wait for.
    if (!onViewerThread) {
      state.sessionChanged.wait(lock, [&] { return state.ServedPins == 0; });
    }
  }
  std::lock_guard lock(state.dataMutex);
  if (state.ShownComponent == &client) {
    state.ShownComponent = nullptr;
  }
}

void ViewerThread(std::shared_ptr<ViewerSession> session) {
  ViewerState& state = ProcessViewerState();
  {
    std::lock_guard lock(state.sessionMutex);
    session->threadId = std::this_thread::get_id();
  }
  WindowStart start = PrepareWindow(state);

  std::string whyNot;
  std::shared_ptr<ui::WindowHost> host = MakeHost(state, &whyNot);
  if (!host) {
    WindowNotCreated(state, *session);
    FinishSession(state, *session);
    return;
  }
  ViewerWindow window(state, *host, start.text, LoadViewerLogo(),
                      [&state, &session] { WindowDestroyed(state, *session); });
  if (!host->Create(start.windowDescription)) {
    WindowNotCreated(state, *session);
    FinishSession(state, *session);
    return;
  }
  WindowCreated(state, *session, host);
  OpenNamedFileAtStart(state);
  RunMessageLoop(state, *host, window);
  // A host that ended its loop without reporting the window gone still closed it.
  WindowDestroyed(state, *session);
  FinishSession(state, *session);
}

void SetViewerHostFactory(ViewerHostFactory factory) {
  ViewerState& state = ProcessViewerState();
  std::lock_guard lock(state.sessionMutex);
  state.HostFactory = std::move(factory);
}

bool ViewerRunning() {
  ViewerState& state = ProcessViewerState();
  std::lock_guard lock(state.sessionMutex);
  return state.Session && !state.Session->ending;
}

}  // namespace ombrixdc
