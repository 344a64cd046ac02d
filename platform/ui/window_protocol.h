#pragma once
// The messages between the window server client (in the measuring application's process) and
// the `ombrixdc-window` helper, over a stream socket. Each message is framed as a 32-bit
// little-endian length followed by that many payload bytes; the payload is a type byte (the
// message's index in its variant) and the message's fields (byte_codec.h). Both sides decode
// with the same bounds-checked reader, so a damaged stream is detected, never trusted.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/ui/window_host.h"

namespace ui::protocol {

constexpr uint32_t kMaxMessageBytes = 64u << 20;
// The helper is handed its end of the socket as this descriptor.
constexpr int kServerSocketFd = 3;

// Client -> helper.
struct CreateWindow {
  WindowDescription windowDescription;
};
struct MoveWindow {
  Rect frame;
};
struct ShowWindow {
  bool visible;
};
struct MaximiseWindow {};
struct RaiseWindow {};
struct SetTitle {
  std::string title;
};
struct SetMenuCheck {
  int32_t id;
  bool checked;
};
struct SetToolbarCheck {
  int32_t id;
  bool checked;
};
struct SetStatusText {
  std::string text;
};
struct ResizeWindow {
  Size outer;
};
struct PaintWindow {
  std::string displayList;
};  // DisplayList::Serialise
struct OpenDialog {
  OpenFileRequest request;
};
struct TooltipAnswer {
  int32_t id;
  std::string text;
};
struct DestroyWindow {};
// For tests only: the helper acts as if the user had used a control, through the same
// toolkit path a real click takes.
enum class TestAction : int32_t {
  ActivateMenuItem = 0,
  ClickToolButton = 1,
  PressCloseBox = 2,
  HoverToolButton = 3,
  AnswerDialog = 4  // id 0: Cancel, otherwise Open with what is selected
};
struct TestInput {
  TestAction action;
  int32_t id;
};
// Cancel the dialog that is up, if any, and refuse later ones (DialogResult without a path).
struct EndDialogs {};

using Request =
    std::variant<CreateWindow, MoveWindow, ShowWindow, MaximiseWindow, RaiseWindow, SetTitle,
                 SetMenuCheck, SetToolbarCheck, SetStatusText, ResizeWindow, PaintWindow,
                 OpenDialog, TooltipAnswer, DestroyWindow, TestInput, EndDialogs>;

// Helper -> client.
struct Ready {};  // the display is open
struct Failed {
  std::string reason;
};  // the helper cannot serve (no display) and ends
struct Created {
  int64_t nativeId;
};  // X11 window id
struct Command {
  int32_t id;
};
struct CloseBox {};
struct Resized {
  Size client;
  bool restored;
};
struct MouseMoved {};
struct MenuSelected {
  int32_t id;
};  // 0 when the menu closes or a popup is highlighted
struct TooltipRequest {
  int32_t id;
};
struct DialogResult {
  std::optional<std::string> path;
};
struct Destroyed {};

using Event = std::variant<Ready, Failed, Created, Command, CloseBox, Resized, MouseMoved,
                           MenuSelected, TooltipRequest, DialogResult, Destroyed>;

// The framed bytes of a message, ready to send.
std::string Frame(const Request& message);
std::string Frame(const Event& message);
// A payload (without its length) back into a message; nothing when it is not well-formed.
std::optional<Request> DecodeRequest(std::string_view payload);
std::optional<Event> DecodeEvent(std::string_view payload);

// Collects received bytes and cuts them into payloads.
class FrameReader {
 public:
  enum class Result { Incomplete, Payload, Damaged };
  void Append(std::string_view bytes) { buffer_.append(bytes); }
  // The next whole payload, if one is there; Damaged for a length beyond kMaxMessageBytes.
  Result Next(std::string& payload);

 private:
  std::string buffer_;
  size_t start_ = 0;
};

// Writes all of `bytes` to a blocking stream socket without raising SIGPIPE when the other
// end is gone. False when the peer has gone or the socket failed.
bool SendAll(int socket, std::string_view bytes);

}  // namespace ui::protocol
