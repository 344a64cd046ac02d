#pragma once
// A progress line on the terminal while a run is polled: the run's state, the scan point the
// simulated machine delivered last and the time so far, redrawn in place. Shown only when
// standard output is a terminal, so piped and redirected output is unchanged.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "tools/ombrixdc/completion_latch.h"

namespace vexa_sim {
class SimulatedMachine;
}

// Prints one line of output, first clearing a progress line drawn on the terminal.
void TerminalLine(const std::string& text);

class ScanProgress {
 public:
  // Follows the machine's scan points while it lives; `enabled` false draws nothing.
  ScanProgress(vexa_sim::SimulatedMachine& machine, bool enabled);
  ~ScanProgress();
  ScanProgress(const ScanProgress&) = delete;
  ScanProgress& operator=(const ScanProgress&) = delete;

  // Waits for the latch up to `timeout`, redrawing the line `state()` describes five times a
  // second, until the run completes or `stopped()` (a stop signal woke the latch); the line
  // is cleared before returning. Same result as CompletionLatch::Wait.
  template <class State, class Stopped>
  std::optional<int32_t> Wait(CompletionLatch& latch, std::chrono::duration<double> timeout,
                              State state, Stopped stopped) {
    if (!enabled_) {
      return latch.Wait(timeout);
    }
    const auto start = std::chrono::steady_clock::now();
    std::optional<int32_t> completed;
    for (;;) {
      const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
      Draw(state(), elapsed.count());
      const auto slice = std::min<std::chrono::duration<double>>(timeout - elapsed, kRedraw);
      completed = latch.Wait(slice);
      if (completed || elapsed + slice >= timeout || stopped()) {
        break;
      }
    }
    Clear();
    return completed;
  }

  // True when standard output is a terminal.
  static bool OutputIsTerminal();

 private:
  static constexpr std::chrono::milliseconds kRedraw{200};
  void Draw(const std::string& state, double seconds);
  void Clear();

  vexa_sim::SimulatedMachine& machine_;
  const bool enabled_;
  std::atomic<int32_t> lastPoint_{-1};
};

// The words for a circle status, as the progress line and the demonstration print them.
const char* CircleStatusName(int32_t status);
