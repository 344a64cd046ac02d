#pragma once
// A component as the viewer sees it, with fields a test sets directly.
#include <array>
#include <atomic>
#include <cmath>
#include <mutex>

#include "src/viewer/viewer_client.h"

namespace ombrixdc {

class FakeViewerClient final : public ViewerClient {
 public:
  ui::Rect WindowRect() const override { return {100, 100, 868, 677}; }
  bool WindowRectChanged() const override { return false; }
  bool WindowVisible() const override { return true; }
  std::optional<std::string> Language() const override { return std::nullopt; }
  std::optional<std::string> IniFilepath() const override { return std::nullopt; }
  std::optional<std::string> WorkingFolder() const override { return "Default"; }
  std::optional<std::string> GraphicsFilename() const override {
    std::lock_guard lock(mutex_);
    return fileName;
  }
  bool GraphicsOpen() const override { return graphicsOpen; }
  ClientRunData RunData() const override {
    std::lock_guard lock(mutex_);
    return run;
  }
  DataSet DataSetOf(int32_t index) const override {
    std::lock_guard lock(mutex_);
    return sets.at(index);
  }
  void SetGraphicsOpen(bool open) override { graphicsOpen = open; }
  void SetWindowHandle(int32_t handle) override { windowHandle = handle; }
  void FireOnGraphicsClosed() override { ++closedEvents; }

  // Every set a circle of `radius` sampled at `count` angles.
  void SetCircles(double radius, size_t count) {
    std::lock_guard lock(mutex_);
    for (DataSet& set : sets) {
      set = {};
      for (size_t i = 0; i < count; ++i) {
        set.radii.Add(radius);
        set.angles.Add(2.0 * M_PI * static_cast<double>(i) / static_cast<double>(count));
      }
    }
  }

  mutable std::mutex mutex_;
  std::optional<std::string> fileName;
  ClientRunData run;
  std::array<DataSet, kViewerDataSetCount> sets;
  std::atomic<bool> graphicsOpen{false};
  std::atomic<int32_t> windowHandle{0};
  std::atomic<int32_t> closedEvents{0};
};

}  // namespace ombrixdc
