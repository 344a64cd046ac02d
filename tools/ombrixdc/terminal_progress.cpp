#include "tools/ombrixdc/terminal_progress.h"

#include <unistd.h>

#include <cstdio>
#include <mutex>

#include "platform/vexa/simulated_machine.h"

namespace {

// Event lines come from the run's thread, the progress line from the waiting one.
std::mutex terminalMutex;
bool progressShown = false;

void ClearLocked() {
  if (progressShown) {
    std::fputs("\r\x1b[K", stdout);  // back to the line's start, erase to its end
  }
  progressShown = false;
}

}  // namespace

void TerminalLine(const std::string& text) {
  std::lock_guard lock(terminalMutex);
  ClearLocked();
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

ScanProgress::ScanProgress(vexa_sim::SimulatedMachine& machine, bool enabled)
    : machine_(machine), enabled_(enabled) {
  if (enabled_) {
    machine_.OnScanPoint([this](int32_t point) { lastPoint_.store(point); });
  }
}

ScanProgress::~ScanProgress() {
  if (enabled_) {
    machine_.OnScanPoint(nullptr);
  }
}

bool ScanProgress::OutputIsTerminal() {
  return ::isatty(STDOUT_FILENO) == 1;
}

void ScanProgress::Draw(const std::string& state, double seconds) {
  std::lock_guard lock(terminalMutex);
  const int32_t point = lastPoint_.load();
  if (point >= 0) {
    std::printf("\r  ... %s, scan point %d, %.1f s\x1b[K", state.c_str(), point + 1, seconds);
  } else {
    std::printf("\r  ... %s, %.1f s\x1b[K", state.c_str(), seconds);
  }
  std::fflush(stdout);
  progressShown = true;
}

void ScanProgress::Clear() {
  std::lock_guard lock(terminalMutex);
  ClearLocked();
  std::fflush(stdout);
}

const char* CircleStatusName(int32_t status) {
  static const char* const kNames[] = {"not initialised",
                                       "parameters accepted",
                                       "learning: slow scan",
                                       "learning: fast scan",
                                       "fast scan corrected with the stored map",
                                       "finished",
                                       "aborted",
                                       "error"};
  return status >= 0 && status < 8 ? kNames[status] : "";
}
