#include "src/viewer/viewer_state.h"

namespace ombrixdc {

ViewerState::ViewerState() = default;

ViewerState::~ViewerState() {
  // A window still open when the process ends is closed, so its thread is not cut off in the
  // middle of talking to the window server.
  std::lock_guard control(controlMutex);
  if (!Thread.joinable()) {
    return;
  }
  CloseRequested = 1;
  if (const std::shared_ptr<ui::WindowHost> host = LiveHost()) {
    host->Wake();
  }
  Thread.join();
}

std::shared_ptr<ui::WindowHost> ViewerState::LiveHost() {
  std::lock_guard lock(sessionMutex);
  if (!Session || Session->ending) {
    return nullptr;
  }
  return Session->host;
}

ViewerState& ProcessViewerState() {
  static ViewerState state;
  return state;
}

}  // namespace ombrixdc
