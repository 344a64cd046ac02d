#pragma once
// Runs a program as a child process and collects what it prints and how it ends, for tests of
// behaviour that belongs to a process: exit status, standard error, signals.
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

extern char** environ;

struct ChildResult {
  std::string out, err;
  int exitStatus = -1;  // -1 when it ended by a signal
  int signal = 0;
};

// `watch` sees the standard output so far each time more arrives, with the child's id, so a
// test can send it signals at a given point. `environment` entries are added to this process's.
inline ChildResult RunChild(const std::vector<std::string>& args,
                            std::vector<std::string> environment = {},
                            const std::function<void(const std::string&, pid_t)>& watch = {}) {
  ChildResult result;
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) {
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  for (char** e = environ; *e; ++e) {
    environment.emplace_back(*e);  // later entries lose to the earlier ones given
  }
  std::vector<char*> argv, envp;
  for (const std::string& a : args) {
    argv.push_back(const_cast<char*>(a.c_str()));
  }
  for (const std::string& e : environment) {
    envp.push_back(const_cast<char*>(e.c_str()));
  }
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  pid_t pid = 0;
  const bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* texts[2] = {&result.out, &result.err};
  for (int open = spawned ? 2 : 0; open > 0 && poll(fds, 2, -1) > 0;) {
    for (int i = 0; i < 2; ++i) {
      char buffer[4096];
      const ssize_t n = fds[i].revents ? read(fds[i].fd, buffer, sizeof buffer) : 1;
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;  // poll ignores it from now on
        --open;
      } else if (fds[i].revents) {
        texts[i]->append(buffer, static_cast<size_t>(n));
        if (i == 0 && watch) {
          watch(result.out, pid);
        }
      }
    }
  }
  for (const pollfd& f : fds) {
    if (f.fd >= 0) {
      close(f.fd);
    }
  }
  int status = 0;
  if (spawned && waitpid(pid, &status, 0) == pid) {
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  return result;
}
