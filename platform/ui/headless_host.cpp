#include "platform/ui/headless_host.h"

#include <utility>

namespace ui {
namespace {

void CollectMenuChecks(const std::vector<MenuItem>& items, std::map<int32_t, bool>& checks) {
  for (const MenuItem& item : items) {
    if (item.items.empty()) {
      checks[item.id] = item.checked;
    } else {
      CollectMenuChecks(item.items, checks);
    }
  }
}

}  // namespace

bool HeadlessHost::Create(const WindowDescription& windowDescription) {
  std::lock_guard lock(mutex_);
  if (state_.exists || finished_) {
    return false;  // one window per host
  }
  state_ = State{};
  state_.exists = true;
  state_.title = windowDescription.title;
  state_.frame = windowDescription.frame;
  state_.visible = windowDescription.visible;
  CollectMenuChecks(windowDescription.menu, state_.menuChecks);
  for (const ToolButton& button : windowDescription.toolbar) {
    if (button.kind == ToolKind::CheckButton) {
      state_.toolbarChecks[button.id] = button.checked;
    }
  }
  state_.statusText = windowDescription.statusText;
  return true;
}

int64_t HeadlessHost::NativeId() const {
  std::lock_guard lock(mutex_);
  return state_.exists ? kNativeId : 0;
}

bool HeadlessHost::Exists() const {
  std::lock_guard lock(mutex_);
  return state_.exists;
}

void HeadlessHost::Move(Rect frame) {
  std::lock_guard lock(mutex_);
  if (!state_.exists) {
    return;
  }
  const bool sizeChanged = frame.Width() != state_.frame.Width() ||
                           frame.Height() != state_.frame.Height() || state_.maximised;
  state_.frame = frame;
  state_.maximised = false;
  if (sizeChanged) {
    PostResizeLocked();
  }
}

void HeadlessHost::Resize(Size outer) {
  Rect frame;
  {
    std::lock_guard lock(mutex_);
    frame = state_.frame;
  }
  Move(Rect{frame.left, frame.top, frame.left + outer.width, frame.top + outer.height});
}

void HeadlessHost::Show(bool visible) {
  std::lock_guard lock(mutex_);
  if (state_.exists) {
    state_.visible = visible;
  }
}

void HeadlessHost::ShowMaximised() {
  std::lock_guard lock(mutex_);
  if (!state_.exists) {
    return;
  }
  state_.visible = true;
  if (!state_.maximised) {
    state_.maximised = true;
    state_.frame = Rect{0, 0, kScreenSize.width, kScreenSize.height};
    PostResizeLocked();
  }
}

void HeadlessHost::BringToFront() {
  std::lock_guard lock(mutex_);
  if (state_.exists) {
    ++state_.broughtToFront;
  }
}

void HeadlessHost::SetTitle(const std::string& title) {
  std::lock_guard lock(mutex_);
  if (state_.exists) {
    state_.title = title;
  }
}

void HeadlessHost::SetMenuCheck(int32_t id, bool checked) {
  std::lock_guard lock(mutex_);
  if (auto item = state_.menuChecks.find(id); item != state_.menuChecks.end()) {
    item->second = checked;
  }
}

void HeadlessHost::SetToolbarCheck(int32_t id, bool checked) {
  std::lock_guard lock(mutex_);
  if (auto button = state_.toolbarChecks.find(id); button != state_.toolbarChecks.end()) {
    button->second = checked;
  }
}

void HeadlessHost::SetStatusText(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (state_.exists) {
    state_.statusText = text;
  }
}

void HeadlessHost::Invalidate() {
  std::lock_guard lock(mutex_);
  if (state_.exists && !paintPending_) {
    paintPending_ = true;  // paints coalesce, as the window system's do
    changed_.notify_all();
  }
}

void HeadlessHost::Destroy() {
  std::lock_guard lock(mutex_);
  if (!state_.exists) {
    return;
  }
  state_.exists = false;
  state_.visible = false;
  paintPending_ = false;
  events_.clear();  // nothing reaches a window that is gone, except its end
  events_.push_back(DestroyedEvent{});
  changed_.notify_all();
}

std::optional<std::string> HeadlessHost::OpenFileDialog(const OpenFileRequest& request) {
  std::lock_guard lock(mutex_);
  if (!state_.exists || dialogsEnded_) {
    return std::nullopt;
  }
  lastOpenRequest_ = request;
  return std::exchange(nextOpenFile_, std::nullopt);
}

void HeadlessHost::EndDialogs() {
  std::lock_guard lock(mutex_);
  dialogsEnded_ = true;
}

bool HeadlessHost::DispatchNext(WindowListener& listener) {
  std::optional<Event> event;
  bool paint = false;
  {
    std::unique_lock lock(mutex_);
    if (finished_) {
      return false;
    }
    changed_.wait(lock, [this] { return !events_.empty() || paintPending_ || woken_; });
    woken_ = false;
    if (!events_.empty()) {
      event = std::move(events_.front());
      events_.pop_front();
    } else if (paintPending_) {
      paintPending_ = false;  // a paint comes after every other queued event
      paint = true;
    }
  }
  if (event) {
    Deliver(*event, listener);
  } else if (paint) {
    DisplayList list;
    listener.OnPaint(list, ClientRect());
    std::lock_guard lock(mutex_);
    lastPaint_ = std::move(list);
    ++paintCount_;
  }
  std::lock_guard lock(mutex_);
  return !finished_;
}

void HeadlessHost::Deliver(const Event& event, WindowListener& listener) {
  if (const auto* command = std::get_if<CommandEvent>(&event)) {
    listener.OnCommand(command->id);
  } else if (std::holds_alternative<CloseBoxEvent>(event)) {
    listener.OnCloseBox();
  } else if (const auto* resize = std::get_if<ResizeEvent>(&event)) {
    listener.OnResize(resize->client, resize->restored);
  } else if (std::holds_alternative<MouseMoveEvent>(event)) {
    listener.OnMouseMove();
  } else if (const auto* menu = std::get_if<MenuSelectEvent>(&event)) {
    listener.OnMenuSelect(menu->id);
  } else if (const auto* tooltip = std::get_if<TooltipEvent>(&event)) {
    std::string answer = listener.OnTooltip(tooltip->id);
    std::lock_guard lock(mutex_);
    lastTooltip_ = std::move(answer);
  } else if (std::holds_alternative<DestroyedEvent>(event)) {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    listener.OnDestroyed();
  }
}

void HeadlessHost::Wake() {
  std::lock_guard lock(mutex_);
  woken_ = true;
  changed_.notify_all();
}

void HeadlessHost::Post(Event event) {
  std::lock_guard lock(mutex_);
  if (!state_.exists) {
    return;  // a window that is gone has no user
  }
  events_.push_back(std::move(event));
  changed_.notify_all();
}

void HeadlessHost::PostResizeLocked() {
  const Rect client = ClientRectLocked();
  events_.push_back(ResizeEvent{Size{client.right, client.bottom}, !state_.maximised});
  changed_.notify_all();
}

void HeadlessHost::InjectCommand(int32_t id) {
  Post(CommandEvent{id});
}
void HeadlessHost::InjectCloseBox() {
  Post(CloseBoxEvent{});
}
void HeadlessHost::InjectMouseMove() {
  Post(MouseMoveEvent{});
}
void HeadlessHost::InjectMenuSelect(int32_t id) {
  Post(MenuSelectEvent{id});
}
void HeadlessHost::InjectTooltipRequest(int32_t id) {
  Post(TooltipEvent{id});
}

void HeadlessHost::InjectResize(Size client, bool restored) {
  std::lock_guard lock(mutex_);
  if (!state_.exists) {
    return;
  }
  state_.maximised = !restored;
  Rect& frame = state_.frame;
  frame.right = frame.left + client.width + 2 * kFrameBorder;
  frame.bottom = frame.top + client.height + kCaptionAndMenuHeight + 2 * kFrameBorder;
  events_.push_back(ResizeEvent{client, restored});
  changed_.notify_all();
}

void HeadlessHost::SetNextOpenFileResult(std::optional<std::string> path) {
  std::lock_guard lock(mutex_);
  nextOpenFile_ = std::move(path);
}

HeadlessHost::State HeadlessHost::GetState() const {
  std::lock_guard lock(mutex_);
  return state_;
}

Rect HeadlessHost::ClientRectLocked() const {
  const int32_t width = state_.frame.Width() - 2 * kFrameBorder;
  const int32_t height = state_.frame.Height() - kCaptionAndMenuHeight - 2 * kFrameBorder;
  return Rect{0, 0, width > 0 ? width : 0, height > 0 ? height : 0};
}

Rect HeadlessHost::ClientRect() const {
  std::lock_guard lock(mutex_);
  return ClientRectLocked();
}

DisplayList HeadlessHost::LastPaint() const {
  std::lock_guard lock(mutex_);
  return lastPaint_;
}

int32_t HeadlessHost::PaintCount() const {
  std::lock_guard lock(mutex_);
  return paintCount_;
}

std::optional<std::string> HeadlessHost::LastTooltip() const {
  std::lock_guard lock(mutex_);
  return lastTooltip_;
}

std::optional<OpenFileRequest> HeadlessHost::LastOpenFileRequest() const {
  std::lock_guard lock(mutex_);
  return lastOpenRequest_;
}

}  // namespace ui
