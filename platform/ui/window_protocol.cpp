#include "platform/ui/window_protocol.h"

#include <sys/socket.h>

#include <cerrno>
#include <utility>

#include "platform/ui/byte_codec.h"

namespace ui::protocol {
namespace {

constexpr int kMenuDepthLimit = 8;

// Fields of every message, written and read in the same order.
void Put(ByteWriter& out, const Rect& r) {
  out.I32(r.left), out.I32(r.top), out.I32(r.right), out.I32(r.bottom);
}
bool Get(ByteReader& in, Rect& r) {
  return in.I32(r.left) && in.I32(r.top) && in.I32(r.right) && in.I32(r.bottom);
}
void Put(ByteWriter& out, const Size& s) {
  out.I32(s.width), out.I32(s.height);
}
bool Get(ByteReader& in, Size& s) {
  return in.I32(s.width) && in.I32(s.height);
}

void Put(ByteWriter& out, const MenuItem& item) {
  out.I32(item.id), out.Bytes(item.text), out.Bool(item.checked), out.Bool(item.checkable);
  out.U32(static_cast<uint32_t>(item.items.size()));
  for (const MenuItem& child : item.items) {
    Put(out, child);
  }
}
bool Get(ByteReader& in, MenuItem& item, int depth) {
  uint32_t count = 0;
  if (depth > kMenuDepthLimit || !in.I32(item.id) || !in.Bytes(item.text) ||
      !in.Bool(item.checked) || !in.Bool(item.checkable) || !in.U32(count) ||
      !in.Holds(count, 14)) {
    return false;
  }
  item.items.resize(count);
  for (MenuItem& child : item.items) {
    if (!Get(in, child, depth + 1)) {
      return false;
    }
  }
  return true;
}

void Put(ByteWriter& out, const WindowDescription& windowDescription) {
  out.Bytes(windowDescription.title), Put(out, windowDescription.frame),
      out.Bool(windowDescription.visible);
  out.U32(static_cast<uint32_t>(windowDescription.menu.size()));
  for (const MenuItem& item : windowDescription.menu) {
    Put(out, item);
  }
  out.U32(static_cast<uint32_t>(windowDescription.toolbar.size()));
  for (const ToolButton& b : windowDescription.toolbar) {
    out.I32(static_cast<int32_t>(b.kind)), out.I32(b.id), out.I32(b.image), out.Bool(b.checked);
  }
  out.Bytes(windowDescription.statusText);
}
bool Get(ByteReader& in, WindowDescription& windowDescription) {
  uint32_t count = 0;
  if (!in.Bytes(windowDescription.title) || !Get(in, windowDescription.frame) ||
      !in.Bool(windowDescription.visible) || !in.U32(count) || !in.Holds(count, 14)) {
    return false;
  }
  windowDescription.menu.resize(count);
  for (MenuItem& item : windowDescription.menu) {
    if (!Get(in, item, 1)) {
      return false;
    }
  }
  if (!in.U32(count) || !in.Holds(count, 13)) {
    return false;
  }
  windowDescription.toolbar.resize(count);
  for (ToolButton& b : windowDescription.toolbar) {
    int32_t kind = 0;
    if (!in.I32(kind) || kind < 0 || kind > 2 || !in.I32(b.id) || !in.I32(b.image) ||
        !in.Bool(b.checked)) {
      return false;
    }
    b.kind = static_cast<ToolKind>(kind);
  }
  return in.Bytes(windowDescription.statusText);
}

void Put(ByteWriter& out, const OpenFileRequest& r) {
  out.Bytes(r.startDirectory);
  out.U32(static_cast<uint32_t>(r.filters.size()));
  for (const FileFilter& f : r.filters) {
    out.Bytes(f.name), out.Bytes(f.pattern);
  }
}
bool Get(ByteReader& in, OpenFileRequest& r) {
  uint32_t count = 0;
  if (!in.Bytes(r.startDirectory) || !in.U32(count) || !in.Holds(count, 8)) {
    return false;
  }
  r.filters.resize(count);
  for (FileFilter& f : r.filters) {
    if (!in.Bytes(f.name) || !in.Bytes(f.pattern)) {
      return false;
    }
  }
  return true;
}

// Client messages.
void Put(ByteWriter& out, const CreateWindow& m) {
  Put(out, m.windowDescription);
}
bool Get(ByteReader& in, CreateWindow& m) {
  return Get(in, m.windowDescription);
}
void Put(ByteWriter& out, const MoveWindow& m) {
  Put(out, m.frame);
}
bool Get(ByteReader& in, MoveWindow& m) {
  return Get(in, m.frame);
}
void Put(ByteWriter& out, const ShowWindow& m) {
  out.Bool(m.visible);
}
bool Get(ByteReader& in, ShowWindow& m) {
  return in.Bool(m.visible);
}
void Put(ByteWriter&, const MaximiseWindow&) {}
bool Get(ByteReader&, MaximiseWindow&) {
  return true;
}
void Put(ByteWriter&, const RaiseWindow&) {}
bool Get(ByteReader&, RaiseWindow&) {
  return true;
}
void Put(ByteWriter& out, const SetTitle& m) {
  out.Bytes(m.title);
}
bool Get(ByteReader& in, SetTitle& m) {
  return in.Bytes(m.title);
}
void Put(ByteWriter& out, const SetMenuCheck& m) {
  out.I32(m.id), out.Bool(m.checked);
}
bool Get(ByteReader& in, SetMenuCheck& m) {
  return in.I32(m.id) && in.Bool(m.checked);
}
void Put(ByteWriter& out, const SetToolbarCheck& m) {
  out.I32(m.id), out.Bool(m.checked);
}
bool Get(ByteReader& in, SetToolbarCheck& m) {
  return in.I32(m.id) && in.Bool(m.checked);
}
void Put(ByteWriter& out, const SetStatusText& m) {
  out.Bytes(m.text);
}
bool Get(ByteReader& in, SetStatusText& m) {
  return in.Bytes(m.text);
}
void Put(ByteWriter& out, const ResizeWindow& m) {
  Put(out, m.outer);
}
bool Get(ByteReader& in, ResizeWindow& m) {
  return Get(in, m.outer);
}
void Put(ByteWriter& out, const PaintWindow& m) {
  out.Bytes(m.displayList);
}
bool Get(ByteReader& in, PaintWindow& m) {
  return in.Bytes(m.displayList);
}
void Put(ByteWriter& out, const OpenDialog& m) {
  Put(out, m.request);
}
bool Get(ByteReader& in, OpenDialog& m) {
  return Get(in, m.request);
}
void Put(ByteWriter& out, const TooltipAnswer& m) {
  out.I32(m.id), out.Bytes(m.text);
}
bool Get(ByteReader& in, TooltipAnswer& m) {
  return in.I32(m.id) && in.Bytes(m.text);
}
void Put(ByteWriter&, const DestroyWindow&) {}
bool Get(ByteReader&, DestroyWindow&) {
  return true;
}
void Put(ByteWriter& out, const TestInput& m) {
  out.I32(static_cast<int32_t>(m.action)), out.I32(m.id);
}
bool Get(ByteReader& in, TestInput& m) {
  int32_t action = 0;
  if (!in.I32(action) || action < 0 || action > 4 || !in.I32(m.id)) {
    return false;
  }
  m.action = static_cast<TestAction>(action);
  return true;
}
void Put(ByteWriter&, const EndDialogs&) {}
bool Get(ByteReader&, EndDialogs&) {
  return true;
}

// Server messages.
void Put(ByteWriter&, const Ready&) {}
bool Get(ByteReader&, Ready&) {
  return true;
}
void Put(ByteWriter& out, const Failed& m) {
  out.Bytes(m.reason);
}
bool Get(ByteReader& in, Failed& m) {
  return in.Bytes(m.reason);
}
void Put(ByteWriter& out, const Created& m) {
  out.I64(m.nativeId);
}
bool Get(ByteReader& in, Created& m) {
  return in.I64(m.nativeId);
}
void Put(ByteWriter& out, const Command& m) {
  out.I32(m.id);
}
bool Get(ByteReader& in, Command& m) {
  return in.I32(m.id);
}
void Put(ByteWriter&, const CloseBox&) {}
bool Get(ByteReader&, CloseBox&) {
  return true;
}
void Put(ByteWriter& out, const Resized& m) {
  Put(out, m.client), out.Bool(m.restored);
}
bool Get(ByteReader& in, Resized& m) {
  return Get(in, m.client) && in.Bool(m.restored);
}
void Put(ByteWriter&, const MouseMoved&) {}
bool Get(ByteReader&, MouseMoved&) {
  return true;
}
void Put(ByteWriter& out, const MenuSelected& m) {
  out.I32(m.id);
}
bool Get(ByteReader& in, MenuSelected& m) {
  return in.I32(m.id);
}
void Put(ByteWriter& out, const TooltipRequest& m) {
  out.I32(m.id);
}
bool Get(ByteReader& in, TooltipRequest& m) {
  return in.I32(m.id);
}
void Put(ByteWriter& out, const DialogResult& m) {
  out.Bool(m.path.has_value()), out.Bytes(m.path.value_or(""));
}
bool Get(ByteReader& in, DialogResult& m) {
  bool chosen = false;
  std::string path;
  if (!in.Bool(chosen) || !in.Bytes(path)) {
    return false;
  }
  m.path = chosen ? std::optional<std::string>(std::move(path)) : std::nullopt;
  return true;
}
void Put(ByteWriter&, const Destroyed&) {}
bool Get(ByteReader&, Destroyed&) {
  return true;
}

template <typename Variant>
std::string FrameOf(const Variant& message) {
  ByteWriter payload;
  payload.U8(static_cast<uint8_t>(message.index()));
  std::visit([&](const auto& m) { Put(payload, m); }, message);
  const std::string body = payload.Take();
  ByteWriter framed;
  framed.U32(static_cast<uint32_t>(body.size()));
  framed.Raw(body);
  return framed.Take();
}

template <typename Variant, size_t... I>
std::optional<Variant> DecodeAt(size_t index, ByteReader& in, std::index_sequence<I...>) {
  std::optional<Variant> result;
  auto tryOne = [&](auto tag) {
    constexpr size_t kIndex = decltype(tag)::value;
    if (index == kIndex) {
      std::variant_alternative_t<kIndex, Variant> message{};
      if (Get(in, message) && in.AtEnd()) {
        result.emplace(std::in_place_index<kIndex>, std::move(message));
      }
    }
  };
  (tryOne(std::integral_constant<size_t, I>{}), ...);
  return result;
}

template <typename Variant>
std::optional<Variant> Decode(std::string_view payload) {
  ByteReader in(payload);
  uint8_t index = 0;
  if (!in.U8(index)) {
    return std::nullopt;
  }
  return DecodeAt<Variant>(index, in, std::make_index_sequence<std::variant_size_v<Variant>>{});
}

}  // namespace

std::string Frame(const Request& message) {
  return FrameOf(message);
}
std::string Frame(const Event& message) {
  return FrameOf(message);
}

std::optional<Request> DecodeRequest(std::string_view payload) {
  return Decode<Request>(payload);
}
std::optional<Event> DecodeEvent(std::string_view payload) {
  return Decode<Event>(payload);
}

FrameReader::Result FrameReader::Next(std::string& payload) {
  const size_t available = buffer_.size() - start_;
  if (available < 4) {
    return Result::Incomplete;
  }
  uint32_t length = 0;
  ByteReader header(std::string_view(buffer_).substr(start_, 4));
  header.U32(length);
  if (length > kMaxMessageBytes) {
    return Result::Damaged;
  }
  if (available - 4 < length) {
    return Result::Incomplete;
  }
  payload.assign(buffer_, start_ + 4, length);
  start_ += 4 + static_cast<size_t>(length);
  if (start_ == buffer_.size() || start_ > (1u << 20)) {
    buffer_.erase(0, start_);  // keep the buffer from growing with consumed bytes
    start_ = 0;
  }
  return Result::Payload;
}

bool SendAll(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

}  // namespace ui::protocol
