#pragma once
// A window listener for the host tests.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui/window_host.h"

namespace ui {

// Writes what reaches it as lines of text, in the order the viewer's message loop would see
// it, and paints the three plot colours as wide bands.
struct RecordingListener final : WindowListener {
  std::vector<std::string> events;
  bool Saw(const std::string& event) const {
    return std::find(events.begin(), events.end(), event) != events.end();
  }
  void OnPaint(Canvas& canvas, Rect client) override {
    const Rgb colours[] = {{0, 0, 255}, {255, 0, 0}, {0, 255, 0}};
    for (int32_t i = 0, top = 100; i < 3; ++i, top += 60) {
      canvas.SelectPen(Pen{colours[i], 1, LineStyle::Solid});
      canvas.SelectBrush(colours[i]);
      const Point band[] = {{100, top}, {400, top}, {400, top + 40}, {100, top + 40}};
      canvas.Polygon(band);
    }
    Log("paint " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
  }
  void OnCommand(int32_t id) override { Log("command " + std::to_string(id)); }
  void OnCloseBox() override { Log("close box"); }
  void OnResize(Size client, bool restored) override {
    Log("resize " + std::to_string(client.width) + "x" + std::to_string(client.height) +
        (restored ? " restored" : " maximised"));
  }
  void OnMouseMove() override { Log("mouse"); }
  void OnMenuSelect(int32_t id) override { Log("menu " + std::to_string(id)); }
  std::string OnTooltip(int32_t id) override {
    Log("tooltip " + std::to_string(id));
    return "tip " + std::to_string(id);
  }
  void OnDestroyed() override { Log("destroyed"); }
  void Log(std::string event) { events.push_back(std::move(event)); }
  std::string Joined() const {
    std::string all;
    for (const std::string& event : events) {
      all += (all.empty() ? "" : ", ") + event;
    }
    return all;
  }
};

}  // namespace ui
