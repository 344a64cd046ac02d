#pragma once
// A WindowHost without a display, for tests and exports. It keeps the window's state where a
// test can read it, lets the test play the user (commands, close box, resizes, mouse, menu,
// tooltips, the open dialog's answer), and paints into a DisplayList when invalidated.
//
// Window geometry follows the window system this replaces: the client area is the outer frame
// less kFrameBorder on each side and less the caption and menu bar (kCaptionAndMenuHeight) on
// top, so the default 768 x 577 frame gives a 760 x 531 client area. Maximised, the frame is
// kScreenSize at (0, 0).
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <variant>

#include "platform/ui/display_list.h"
#include "platform/ui/window_host.h"

namespace ui {

class HeadlessHost final : public WindowHost {
 public:
  static constexpr int32_t kFrameBorder = 4;
  static constexpr int32_t kCaptionAndMenuHeight = 38;
  static constexpr Size kScreenSize{1920, 1080};
  // The fake native id the window has while it exists.
  static constexpr int64_t kNativeId = 0x4E00001;

  // What a test reads back.
  struct State {
    bool exists = false;
    std::string title;
    Rect frame;
    bool visible = false;
    bool maximised = false;
    std::map<int32_t, bool> menuChecks;     // every menu item by id
    std::map<int32_t, bool> toolbarChecks;  // check buttons by id
    std::string statusText;
    int32_t broughtToFront = 0;  // how often BringToFront was called
  };

  // WindowHost
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

  // Playing the user: each event reaches the listener in a later DispatchNext.
  void InjectCommand(int32_t id);
  void InjectCloseBox();
  // The client area becomes `client` (the frame follows).
  void InjectResize(Size client, bool restored);
  void InjectMouseMove();
  void InjectMenuSelect(int32_t id);
  // The listener's answer is kept as LastTooltip().
  void InjectTooltipRequest(int32_t id);
  // What the next OpenFileDialog returns: a path, or nothing for Cancel (the default).
  void SetNextOpenFileResult(std::optional<std::string> path);

  State GetState() const;
  Rect ClientRect() const;  // {0, 0, width, height} of the current frame
  DisplayList LastPaint() const;
  int32_t PaintCount() const;
  std::optional<std::string> LastTooltip() const;
  // The request of the last OpenFileDialog call, if any.
  std::optional<OpenFileRequest> LastOpenFileRequest() const;

 private:
  struct CommandEvent {
    int32_t id;
  };
  struct CloseBoxEvent {};
  struct ResizeEvent {
    Size client;
    bool restored;
  };
  struct MouseMoveEvent {};
  struct MenuSelectEvent {
    int32_t id;
  };
  struct TooltipEvent {
    int32_t id;
  };
  struct DestroyedEvent {};
  using Event = std::variant<CommandEvent, CloseBoxEvent, ResizeEvent, MouseMoveEvent,
                             MenuSelectEvent, TooltipEvent, DestroyedEvent>;

  void Post(Event event);
  void PostResizeLocked();
  Rect ClientRectLocked() const;
  void Deliver(const Event& event, WindowListener& listener);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  State state_;
  std::deque<Event> events_;
  bool paintPending_ = false;
  bool woken_ = false;
  bool finished_ = false;  // OnDestroyed delivered: the loop is over
  DisplayList lastPaint_;
  int32_t paintCount_ = 0;
  std::optional<std::string> lastTooltip_;
  std::optional<std::string> nextOpenFile_;
  std::optional<OpenFileRequest> lastOpenRequest_;
  bool dialogsEnded_ = false;
};

}  // namespace ui
