#pragma once
// The WindowHost of a real window: the `ombrixdc-window` helper process shows it (GTK 3 on
// the helper's own main thread) and this client drives it over a socket (window_protocol.h).
// The measuring application's process never loads a toolkit; a crash or kill of the helper
// counts as the window being destroyed: OnDestroyed arrives exactly once, the helper is
// reaped, and sending to it never raises SIGPIPE.
//
// The helper is looked for, in this order:
//   1. the path in the environment variable OMBRIXDC_WINDOW_SERVER;
//   2. `ombrixdc-window` beside the running executable;
//   3. `ombrixdc-window` beside the loaded module holding this code, then in the `bin`
//      folder beside that module's folder (`<module dir>/../bin`), as for build/lib and
//      build/bin.
#include <sys/types.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/ui/window_host.h"
#include "platform/ui/window_protocol.h"

namespace ui {

struct WindowServerOptions {
  std::string helperPath;          // empty: the lookup order above
  std::string display;             // X display for the helper ("--display"); empty: $DISPLAY
  int32_t startTimeoutMs = 10000;  // how long the helper may take to open the display
};

// Starts the helper and waits until it has opened the display. Nothing, with the reason in
// `whyNot` (may be null), when the helper is missing, cannot start or has no display.
std::unique_ptr<WindowHost> StartWindowServer(std::string* whyNot);
std::unique_ptr<WindowHost> StartWindowServer(std::string* whyNot,
                                              const WindowServerOptions& options);
// Where the helper would be taken from; empty when none of the places holds it.
std::string FindWindowServer();

class WindowServerHost final : public WindowHost {
 public:
  // Takes over a running helper's process and socket (see StartWindowServer).
  WindowServerHost(pid_t helper, int socket);
  ~WindowServerHost() override;
  WindowServerHost(const WindowServerHost&) = delete;
  WindowServerHost& operator=(const WindowServerHost&) = delete;

  bool Create(const WindowDescription& windowDescription) override;
  int64_t NativeId() const override;
  bool Exists() const override;
  void Move(Rect frame) override;
  void Show(bool visible) override;
  void ShowMaximised() override;
  void BringToFront() override;
  void SetTitle(const std::string& title) override;
  void SetMenuCheck(int32_t id, bool checked) override;
  void SetToolbarCheck(int32_t id, bool checked) override;
  void SetStatusText(const std::string& text) override;
  void Resize(Size outer) override;
  void Invalidate() override;
  void Destroy() override;
  std::optional<std::string> OpenFileDialog(const OpenFileRequest& request) override;
  void EndDialogs() override;
  bool DispatchNext(WindowListener& listener) override;
  void Wake() override;

  // For tests: the helper's process id (0 once reaped), and asking the helper to act as if
  // the user had used a control.
  pid_t HelperProcessId() const;
  void SimulateInput(protocol::TestAction action, int32_t id);

 private:
  void Send(const protocol::Request& message);
  // Reads what has arrived (waiting up to `timeoutMs`, -1 for ever, for the socket or the
  // wake descriptor) into the queue. False when the wait ended without new messages.
  bool Receive(int timeoutMs, bool watchWake);
  void ServerGone();
  void Deliver(const protocol::Event& message, WindowListener& listener);
  // Waits for the first queued message of type T, leaving the others queued in order.
  template <typename T>
  std::optional<T> AwaitReply(int timeoutMs);
  void Reap(bool force);

  friend std::unique_ptr<WindowHost> StartWindowServer(std::string*, const WindowServerOptions&);

  const int socket_;
  const int wakeFd_;
  std::mutex sendMutex_;      // one message on the socket at a time
  mutable std::mutex mutex_;  // everything below
  pid_t helper_;
  std::mutex readMutex_;  // one reader of the socket at a time
  protocol::FrameReader reader_;
  std::deque<protocol::Event> inbox_;
  bool serverGone_ = false;
  bool created_ = false;
  bool exists_ = false;
  bool destroyedQueued_ = false;
  bool destroyedDelivered_ = false;
  bool paintPending_ = false;
  int64_t nativeId_ = 0;
  Rect frame_;
  std::optional<Size> client_;
};

}  // namespace ui
