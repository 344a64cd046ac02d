#pragma once
// Runs a program as a child process and collects what it prints and how it ends, for tests of
// behaviour that belongs to a process: exit status, standard error, signals.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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
// Standard error goes to a temporary file, so that the child never waits on a full pipe.
inline ChildResult RunChild(const std::vector<std::string>& args,
                            std::vector<std::string> environment = {},
                            const std::function<void(const std::string&, pid_t)>& watch = {}) {
  ChildResult result;
  int out[2];
  std::FILE* err = std::tmpfile();
  if (!err || pipe(out) != 0) {
    if (err) {
      std::fclose(err);
    }
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fileno(err), 2);
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
  char buffer[4096];
  for (ssize_t n = 0; spawned && (n = read(out[0], buffer, sizeof buffer)) > 0;) {
    result.out.append(buffer, static_cast<size_t>(n));
    if (watch) {
      watch(result.out, pid);
    }
  }
  close(out[0]);
  int status = 0;
  if (spawned && waitpid(pid, &status, 0) == pid) {
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  std::rewind(err);
  for (size_t n = 0; (n = std::fread(buffer, 1, sizeof buffer, err)) > 0;) {
    result.err.append(buffer, n);
  }
  std::fclose(err);
  return result;
}
