#pragma once
// Runs a program as a child process and collects what it prints and how it ends, for tests of
// behaviour that belongs to a process: exit status, standard error, signals.
#include <poll.h>
#include <signal.h>
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

// `watch` is called with the standard output so far each time more arrives, and with the
// child's process id, so a test can send it signals at a given point.
inline ChildResult RunChild(const std::vector<std::string>& args,
                            const std::vector<std::string>& extraEnvironment = {},
                            const std::function<void(const std::string&, pid_t)>& watch = {}) {
  int outPipe[2], errPipe[2];
  ChildResult result;
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
    return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
    posix_spawn_file_actions_addclose(&actions, fd);
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e)
    environment.emplace_back(*e);
  environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
  std::vector<char*> argv, envp;
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : environment)
    envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(outPipe[1]);
  close(errPipe[1]);
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = spawned == 0 ? 2 : 0;
  while (open > 0 && poll(fds, 2, -1) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
        continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
        continue;
      }
      sinks[i]->append(buffer, static_cast<size_t>(n));
      if (i == 0 && watch)
        watch(result.out, pid);
    }
  }
  for (pollfd& f : fds) {
    if (f.fd >= 0)
      close(f.fd);
  }
  int status = 0;
  if (spawned == 0 && waitpid(pid, &status, 0) == pid) {
    if (WIFEXITED(status))
      result.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
      result.signal = WTERMSIG(status);
  }
  return result;
}
