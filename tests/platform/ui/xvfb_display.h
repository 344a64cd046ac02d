#pragma once
// A private X server for tests of real windows: Xvfb on a display number it picks itself
// (-displayfd), ended when the object goes.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

class XvfbDisplay {
 public:
  XvfbDisplay() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 9);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"Xvfb",        "-displayfd", "9",   "-screen", "0",
                          "1024x768x24", "-nolisten",  "tcp", nullptr};
    if (::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
      pid_ = 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    std::string number;
    pollfd watched{ends[0], POLLIN, 0};
    char c = 0;
    while (pid_ > 0 && ::poll(&watched, 1, 15000) > 0 && ::read(ends[0], &c, 1) == 1 && c != '\n') {
      number += c;
    }
    ::close(ends[0]);
    display_ = number.empty() ? "" : ":" + number;
  }
  ~XvfbDisplay() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  XvfbDisplay(const XvfbDisplay&) = delete;
  XvfbDisplay& operator=(const XvfbDisplay&) = delete;

  // ":N", or empty when Xvfb could not start.
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = 0;
  std::string display_;
};
