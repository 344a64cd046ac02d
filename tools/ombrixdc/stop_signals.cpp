#include "tools/ombrixdc/stop_signals.h"

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>

namespace {

sigset_t StopSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

StopSignals::StopSignals(std::function<void()> onFirst) : onFirst_(std::move(onFirst)) {
  const sigset_t set = StopSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  watcher_ = std::thread([this] { Watch(); });
}

StopSignals::~StopSignals() {
  closing_ = true;
  pthread_kill(watcher_.native_handle(), SIGTERM);  // wakes sigwait; seen as closing
  watcher_.join();
  // A signal that arrived after the run ended ends the process as it would have anyway.
  const sigset_t set = StopSet();
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void StopSignals::Watch() {
  const sigset_t set = StopSet();
  for (;;) {
    int signal = 0;
    if (sigwait(&set, &signal) != 0 || closing_.load()) {
      return;
    }
    if (received_.exchange(signal) != 0) {
      std::fprintf(stderr, "ombrixdc: second signal; exiting without waiting for the run\n");
      std::_Exit(128 + signal);
    }
    std::fprintf(stderr, "ombrixdc: signal %d: aborting the run (send it again to exit at once)\n",
                 signal);
    onFirst_();
  }
}
