#include "platform/ui/window_server_host.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/ui/display_list.h"

extern char** environ;

namespace ui {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kHelperName = "ombrixdc-window";
constexpr int kCreateTimeoutMs = 10000;
// A client area for paints before the helper has reported one: the frame less the same
// borders, caption and menu bar the headless host assumes.
constexpr int32_t kNonClientWidth = 8;
constexpr int32_t kNonClientHeight = 46;

bool IsExecutableFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

std::string ModulePath() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&FindWindowServer), &info) != 0 &&
      info.dli_fname != nullptr) {
    return info.dli_fname;
  }
  return {};
}

int RemainingMs(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

std::string FindWindowServer() {
  if (const char* chosen = std::getenv("OMBRIXDC_WINDOW_SERVER");
      chosen != nullptr && *chosen != '\0') {
    return chosen;
  }
  std::vector<fs::path> candidates;
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (!error) {
    candidates.push_back(executable.parent_path() / kHelperName);
  }
  if (const std::string module = ModulePath(); !module.empty()) {
    const fs::path folder = fs::absolute(module, error).parent_path();
    candidates.push_back(folder / kHelperName);
    // The bin folder of the install the module sits in: P/lib/libombrixdc.so, and the
    // Python module's P/lib/python3/dist-packages.
    fs::path up = folder;
    for (int levels = 0; levels < 3 && up.has_relative_path(); ++levels) {
      up = up.parent_path();
      candidates.push_back(up / "bin" / kHelperName);
    }
  }
  for (const fs::path& candidate : candidates) {
    if (IsExecutableFile(candidate)) {
      return candidate.lexically_normal().string();
    }
  }
  return {};
}

std::unique_ptr<WindowHost> StartWindowServer(std::string* whyNot) {
  return StartWindowServer(whyNot, WindowServerOptions{});
}

std::unique_ptr<WindowHost> StartWindowServer(std::string* whyNot,
                                              const WindowServerOptions& options) {
  auto fail = [&](const std::string& reason) -> std::unique_ptr<WindowHost> {
    if (whyNot != nullptr) {
      *whyNot = reason;
    }
    return nullptr;
  };
  const std::string path = options.helperPath.empty() ? FindWindowServer() : options.helperPath;
  if (path.empty()) {
    return fail(std::string("window server '") + kHelperName + "' not found");
  }
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    return fail(std::string("cannot make the window server's socket: ") + std::strerror(errno));
  }
  // The helper's end goes to a high descriptor first, so the dup2 onto kServerSocketFd
  // always copies it (and so clears close-on-exec for that one descriptor in the child).
  const int childEnd = ::fcntl(ends[1], F_DUPFD_CLOEXEC, 10);
  ::close(ends[1]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, childEnd, protocol::kServerSocketFd);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  std::vector<std::string> arguments = {path};
  if (!options.display.empty()) {
    arguments.push_back("--display=" + options.display);
  }
  std::vector<char*> argv;
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned =
      ::posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(childEnd);
  if (childEnd < 0 || spawned != 0) {
    ::close(ends[0]);
    return fail("cannot start the window server " + path + ": " +
                std::strerror(spawned != 0 ? spawned : EMFILE));
  }
  auto host = std::make_unique<WindowServerHost>(pid, ends[0]);
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(options.startTimeoutMs);
  while (true) {
    {
      std::lock_guard lock(host->mutex_);
      for (const protocol::Event& message : host->inbox_) {
        if (const auto* failed = std::get_if<protocol::Failed>(&message)) {
          return fail("window server: " + failed->reason);
        }
        if (std::holds_alternative<protocol::Ready>(message)) {
          host->inbox_.clear();
          return host;
        }
      }
      if (host->serverGone_) {
        return fail("the window server ended before opening its display");
      }
    }
    if (RemainingMs(deadline) == 0) {
      return fail("the window server did not open its display in time");
    }
    std::lock_guard reading(host->readMutex_);
    host->Receive(RemainingMs(deadline), false);
  }
}

WindowServerHost::WindowServerHost(pid_t helper, int socket)
    : socket_(socket), wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), helper_(helper) {}

WindowServerHost::~WindowServerHost() {
  ::shutdown(socket_, SHUT_RDWR);  // the helper sees the end of its input and closes
  Reap(true);
  ::close(socket_);
  ::close(wakeFd_);
}

void WindowServerHost::Reap(bool force) {
  pid_t helper = 0;
  {
    std::lock_guard lock(mutex_);
    helper = helper_;
  }
  if (helper <= 0) {
    return;
  }
  // A helper that has lost its socket ends by itself; give it a moment before insisting.
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(force ? 2000 : 500);
  bool reaped = false;
  while (!reaped) {
    const pid_t result = ::waitpid(helper, nullptr, WNOHANG);
    reaped = result == helper || (result < 0 && errno != EINTR);
    if (!reaped && RemainingMs(deadline) == 0) {
      break;
    }
    if (!reaped) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  if (!reaped && force) {
    ::kill(helper, SIGKILL);
    while (::waitpid(helper, nullptr, 0) < 0 && errno == EINTR) {
    }
    reaped = true;
  }
  if (reaped) {
    std::lock_guard lock(mutex_);
    helper_ = 0;
  }
}

pid_t WindowServerHost::HelperProcessId() const {
  std::lock_guard lock(mutex_);
  return helper_;
}

void WindowServerHost::Send(const protocol::Request& message) {
  {
    std::lock_guard lock(mutex_);
    if (serverGone_) {
      return;
    }
  }
  const std::string framed = protocol::Frame(message);
  std::lock_guard sending(sendMutex_);
  // A helper that is gone shows up as the end of the socket on the reading side.
  protocol::SendAll(socket_, framed);
}

bool WindowServerHost::Receive(int timeoutMs, bool watchWake) {
  pollfd watched[2] = {{socket_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
  const int ready = ::poll(watched, watchWake ? 2 : 1, timeoutMs);
  if (ready <= 0) {
    return false;
  }
  if (watchWake && (watched[1].revents & POLLIN) != 0) {
    uint64_t count = 0;
    while (::read(wakeFd_, &count, sizeof count) > 0) {
    }
    return false;
  }
  char chunk[65536];
  const ssize_t got = ::recv(socket_, chunk, sizeof chunk, MSG_DONTWAIT);
  if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
    return false;
  }
  if (got <= 0) {
    ServerGone();
    return true;
  }
  reader_.Append(std::string_view(chunk, static_cast<size_t>(got)));
  bool any = false;
  std::string payload;
  protocol::FrameReader::Result result;
  while ((result = reader_.Next(payload)) == protocol::FrameReader::Result::Payload) {
    std::optional<protocol::Event> message = protocol::DecodeEvent(payload);
    if (!message) {
      result = protocol::FrameReader::Result::Damaged;
      break;
    }
    std::lock_guard lock(mutex_);
    if (std::holds_alternative<protocol::Destroyed>(*message)) {
      if (destroyedQueued_) {
        continue;
      }
      destroyedQueued_ = true;
    }
    inbox_.push_back(std::move(*message));
    any = true;
  }
  if (result == protocol::FrameReader::Result::Damaged) {
    // A helper that speaks nonsense is not trusted with the window any longer.
    {
      std::lock_guard lock(mutex_);
      if (helper_ > 0) {
        ::kill(helper_, SIGKILL);
      }
    }
    ServerGone();
    return true;
  }
  return any;
}

void WindowServerHost::ServerGone() {
  {
    std::lock_guard lock(mutex_);
    if (serverGone_) {
      return;
    }
    serverGone_ = true;
    exists_ = false;
    nativeId_ = 0;
    if (created_ && !destroyedQueued_) {
      destroyedQueued_ = true;
      inbox_.push_back(protocol::Destroyed{});
    }
  }
  Reap(false);
}

template <typename T>
std::optional<T> WindowServerHost::AwaitReply(int timeoutMs) {
  std::lock_guard reading(readMutex_);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    {
      std::lock_guard lock(mutex_);
      for (auto message = inbox_.begin(); message != inbox_.end(); ++message) {
        if (auto* reply = std::get_if<T>(&*message)) {
          T found = std::move(*reply);
          inbox_.erase(message);
          return found;
        }
      }
      if (serverGone_) {
        return std::nullopt;
      }
    }
    if (timeoutMs >= 0 && RemainingMs(deadline) == 0) {
      return std::nullopt;
    }
    Receive(timeoutMs >= 0 ? RemainingMs(deadline) : -1, false);
  }
}

bool WindowServerHost::Create(const WindowDescription& windowDescription) {
  {
    std::lock_guard lock(mutex_);
    if (created_ || serverGone_) {
      return false;  // one window per helper
    }
    frame_ = windowDescription.frame;
  }
  Send(protocol::CreateWindow{windowDescription});
  const std::optional<protocol::Created> created = AwaitReply<protocol::Created>(kCreateTimeoutMs);
  std::lock_guard lock(mutex_);
  if (!created || serverGone_) {
    return false;
  }
  created_ = true;
  exists_ = true;
  nativeId_ = created->nativeId;
  paintPending_ = true;  // a new window paints once it is there
  return true;
}

int64_t WindowServerHost::NativeId() const {
  std::lock_guard lock(mutex_);
  return exists_ ? nativeId_ : 0;
}

bool WindowServerHost::Exists() const {
  std::lock_guard lock(mutex_);
  return exists_;
}

void WindowServerHost::Move(Rect frame) {
  {
    std::lock_guard lock(mutex_);
    frame_ = frame;
  }
  Send(protocol::MoveWindow{frame});
}

void WindowServerHost::Show(bool visible) {
  Send(protocol::ShowWindow{visible});
}
void WindowServerHost::ShowMaximised() {
  Send(protocol::MaximiseWindow{});
}
void WindowServerHost::BringToFront() {
  Send(protocol::RaiseWindow{});
}
void WindowServerHost::SetTitle(const std::string& title) {
  Send(protocol::SetTitle{title});
}
void WindowServerHost::SetMenuCheck(int32_t id, bool checked) {
  Send(protocol::SetMenuCheck{id, checked});
}
void WindowServerHost::SetToolbarCheck(int32_t id, bool checked) {
  Send(protocol::SetToolbarCheck{id, checked});
}
void WindowServerHost::SetStatusText(const std::string& text) {
  Send(protocol::SetStatusText{text});
}

void WindowServerHost::Resize(Size outer) {
  {
    std::lock_guard lock(mutex_);
    frame_.right = frame_.left + outer.width;
    frame_.bottom = frame_.top + outer.height;
  }
  Send(protocol::ResizeWindow{outer});
}

void WindowServerHost::Invalidate() {
  {
    std::lock_guard lock(mutex_);
    if (!exists_) {
      return;
    }
    paintPending_ = true;
  }
  Wake();
}

void WindowServerHost::Destroy() {
  {
    std::lock_guard lock(mutex_);
    if (!exists_) {
      return;
    }
    exists_ = false;  // gone for the caller at once; OnDestroyed follows from the helper
    nativeId_ = 0;
    paintPending_ = false;
  }
  Send(protocol::DestroyWindow{});
}

void WindowServerHost::SimulateInput(protocol::TestAction action, int32_t id) {
  Send(protocol::TestInput{action, id});
}

std::optional<std::string> WindowServerHost::OpenFileDialog(const OpenFileRequest& request) {
  if (!Exists()) {
    return std::nullopt;
  }
  OpenFileRequest sent = request;
  if (sent.startDirectory.empty()) {
    std::error_code error;
    sent.startDirectory = fs::current_path(error).string();
  }
  Send(protocol::OpenDialog{sent});
  const std::optional<protocol::DialogResult> result = AwaitReply<protocol::DialogResult>(-1);
  return result ? result->path : std::nullopt;
}

void WindowServerHost::EndDialogs() {
  // The helper serves requests in order: a dialog asked for earlier is cancelled, one asked
  // for later is refused.
  Send(protocol::EndDialogs{});
}

bool WindowServerHost::DispatchNext(WindowListener& listener) {
  while (true) {
    bool paint = false;
    std::optional<protocol::Event> message;
    {
      std::lock_guard lock(mutex_);
      if (destroyedDelivered_ || (serverGone_ && !created_)) {
        return false;
      }
      if (!inbox_.empty()) {
        message = std::move(inbox_.front());
        inbox_.pop_front();
      } else if (paintPending_ && exists_) {
        paintPending_ = false;  // paints come after every queued event, and coalesce
        paint = true;
      }
    }
    if (message) {
      Deliver(*message, listener);
      std::lock_guard lock(mutex_);
      return !destroyedDelivered_;
    }
    if (paint) {
      Rect client;
      {
        std::lock_guard lock(mutex_);
        client = client_ ? Rect{0, 0, client_->width, client_->height}
                         : Rect{0, 0, frame_.Width() - kNonClientWidth,
                                frame_.Height() - kNonClientHeight};
      }
      DisplayList list;
      listener.OnPaint(list, client);
      std::string bytes = list.Serialise();
      // The helper refuses messages beyond the limit (and would end); keep the last picture.
      if (bytes.size() < protocol::kMaxMessageBytes - 64) {
        Send(protocol::PaintWindow{std::move(bytes)});
      }
      return true;
    }
    std::lock_guard reading(readMutex_);
    if (!Receive(-1, true)) {
      return true;  // woken: the caller looks at its own flags
    }
  }
}

void WindowServerHost::Deliver(const protocol::Event& message, WindowListener& listener) {
  if (const auto* command = std::get_if<protocol::Command>(&message)) {
    listener.OnCommand(command->id);
  } else if (std::holds_alternative<protocol::CloseBox>(message)) {
    listener.OnCloseBox();
  } else if (const auto* resized = std::get_if<protocol::Resized>(&message)) {
    {
      std::lock_guard lock(mutex_);
      client_ = resized->client;
      paintPending_ = exists_;
    }
    listener.OnResize(resized->client, resized->restored);
  } else if (std::holds_alternative<protocol::MouseMoved>(message)) {
    listener.OnMouseMove();
  } else if (const auto* menu = std::get_if<protocol::MenuSelected>(&message)) {
    listener.OnMenuSelect(menu->id);
  } else if (const auto* tooltip = std::get_if<protocol::TooltipRequest>(&message)) {
    Send(protocol::TooltipAnswer{tooltip->id, listener.OnTooltip(tooltip->id)});
  } else if (std::holds_alternative<protocol::Destroyed>(message)) {
    {
      std::lock_guard lock(mutex_);
      destroyedDelivered_ = true;
      exists_ = false;
      nativeId_ = 0;
    }
    listener.OnDestroyed();
  }
  // Ready, Failed, Created and DialogResult are answers awaited elsewhere; a stray one
  // (a dialog answered after the window went) is dropped.
}

void WindowServerHost::Wake() {
  const uint64_t one = 1;
  while (::write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

}  // namespace ui
