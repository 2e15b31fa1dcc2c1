// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a program the way a user's shell would and hands back what it said, so the tests can
// judge the real executables; a child that hangs is killed at its time limit.
#pragma once

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace rondel::test {

struct ProcessResult {
  bool started = false;  // false: the program could not be spawned (see `error`)
  bool timedOut = false;  // the time limit ran out and the child was killed
  int exitStatus = -1;    // the status passed to exit(), or -1 when the child did not exit
  int termSignal = 0;     // the signal that ended the child, 0 when it exited
  std::string out, err;   // everything written to standard output and standard error
  std::string error;      // why the run failed on our side, empty otherwise
};

// The streams go to files in memory rather than pipes: nothing needs pumping while the child
// runs, and a grandchild that keeps a stream open cannot hold the test up.
inline int StreamFile() { return ::memfd_create("rondel-test-stream", MFD_CLOEXEC); }
inline std::string ContentsAndClose(int fd) {
  std::string text(static_cast<std::size_t>(std::max<off_t>(::lseek(fd, 0, SEEK_END), 0)), '\0');
  if (::pread(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) text.clear();
  ::close(fd);
  return text;
}

// Spawns `program` (a path, not searched in PATH) with `args` and /dev/null as standard input,
// or `input` when given.
inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                std::chrono::milliseconds timeLimit = std::chrono::seconds(20),
                                const std::string* input = nullptr) {
  ProcessResult r;
  const int out = StreamFile(), err = StreamFile();
  const int in = input ? StreamFile() : -1;
  if (in >= 0 && (::write(in, input->data(), input->size()) != static_cast<ssize_t>(input->size()) ||
                  ::lseek(in, 0, SEEK_SET) != 0))
    r.error = "cannot prepare standard input";
  posix_spawn_file_actions_t fa;
  ::posix_spawn_file_actions_init(&fa);
  if (in >= 0) {
    ::posix_spawn_file_actions_adddup2(&fa, in, 0);
  } else {
    ::posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  }
  ::posix_spawn_file_actions_adddup2(&fa, out, 1);
  ::posix_spawn_file_actions_adddup2(&fa, err, 2);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};  // posix_spawn leaves them alone
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1, got = 0;
  int status = 0;
  const int rc = out < 0 || err < 0 ? EMFILE : ::posix_spawn(&pid, program.c_str(), &fa, nullptr,
                                                             argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&fa);
  r.started = rc == 0;
  if (!r.started) r.error = "posix_spawn " + program + ": " + std::strerror(rc);
  const auto deadline = std::chrono::steady_clock::now() + timeLimit;
  while (r.started && (got = ::waitpid(pid, &status, WNOHANG)) != pid) {
    if (got < 0 && errno != EINTR) break;
    if (!r.timedOut && std::chrono::steady_clock::now() >= deadline)
      r.timedOut = ::kill(pid, SIGKILL) == 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (r.started && got != pid) r.error = "waitpid failed";
  if (got == pid && WIFEXITED(status)) r.exitStatus = WEXITSTATUS(status);
  if (got == pid && WIFSIGNALED(status)) r.termSignal = WTERMSIG(status);
  r.out = ContentsAndClose(out);
  r.err = ContentsAndClose(err);
  if (in >= 0) ::close(in);
  return r;
}

// For failure messages: the program's status and streams in a few lines.
inline std::string Describe(const ProcessResult& r) {
  if (!r.started) return "not started: " + r.error + "\n";
  std::string s = "exit status " + std::to_string(r.exitStatus);
  if (r.termSignal) s += ", killed by signal " + std::to_string(r.termSignal);
  if (r.timedOut) s += ", time limit reached";
  if (!r.error.empty()) s += ", " + r.error;
  return s + "\n--- stdout ---\n" + r.out.substr(0, 2000) + "\n--- stderr ---\n" +
         r.err.substr(0, 2000) + "\n";
}

}  // namespace rondel::test
