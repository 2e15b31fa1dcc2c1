#include "support/process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace rondel::test {
namespace {

using Clock = std::chrono::steady_clock;

// After a kill, a grandchild could still hold a pipe open; we do not wait for it forever.
constexpr auto kDrainAfterKill = std::chrono::seconds(2);

struct Fd {
  int fd = -1;
  Fd() = default;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Close(); }
  void Close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
};

struct Pipe {
  Fd read;
  Fd write;
  bool Open() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    read.fd = fds[0];
    write.fd = fds[1];
    return ::fcntl(read.fd, F_SETFL, O_NONBLOCK) == 0;
  }
};

struct FileActions {
  posix_spawn_file_actions_t actions;
  bool ok;
  FileActions() { ok = ::posix_spawn_file_actions_init(&actions) == 0; }
  ~FileActions() {
    if (ok) ::posix_spawn_file_actions_destroy(&actions);
  }
};

std::string ErrnoText(const char* what, int code) {
  return std::string(what) + ": " + std::strerror(code);
}

// Reads what is there; returns false at end of stream (or on an error that ends it).
bool Drain(int fd, std::string& into) {
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      into.append(buf, static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         std::chrono::milliseconds timeLimit) {
  ProcessResult r;
  Pipe out, err;
  if (!out.Open() || !err.Open()) {
    r.error = ErrnoText("pipe", errno);
    return r;
  }
  FileActions fa;
  if (!fa.ok || ::posix_spawn_file_actions_addopen(&fa.actions, 0, "/dev/null", O_RDONLY, 0) != 0 ||
      ::posix_spawn_file_actions_adddup2(&fa.actions, out.write.fd, 1) != 0 ||
      ::posix_spawn_file_actions_adddup2(&fa.actions, err.write.fd, 2) != 0) {
    r.error = "posix_spawn_file_actions failed";
    return r;
  }

  std::vector<std::string> argStore;
  argStore.reserve(args.size() + 1);
  argStore.push_back(program);
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, program.c_str(), &fa.actions, nullptr, argv.data(), environ);
  if (rc != 0) {
    r.error = ErrnoText(("posix_spawn " + program).c_str(), rc);
    return r;
  }
  r.started = true;
  // Our copies of the write ends must go, or the pipes would never reach end of stream.
  out.write.Close();
  err.write.Close();

  auto deadline = Clock::now() + timeLimit;
  bool killed = false;
  Fd* const fds[2] = {&out.read, &err.read};
  std::string* const into[2] = {&r.out, &r.err};
  while (out.read.fd >= 0 || err.read.fd >= 0) {
    const auto now = Clock::now();
    if (now >= deadline) {
      if (killed) break;
      ::kill(pid, SIGKILL);
      killed = true;
      r.timedOut = true;
      deadline = now + kDrainAfterKill;
      continue;
    }
    pollfd pfd[2];
    nfds_t count = 0;
    int which[2];
    for (int i = 0; i < 2; ++i) {
      if (fds[i]->fd < 0) continue;
      pfd[count] = {fds[i]->fd, POLLIN, 0};
      which[count++] = i;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    const int ready = ::poll(pfd, count, static_cast<int>(wait.count()) + 1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      r.error = ErrnoText("poll", errno);
      ::kill(pid, SIGKILL);
      killed = true;
      break;
    }
    for (nfds_t k = 0; k < count; ++k) {
      if (pfd[k].revents == 0) continue;
      const int i = which[k];
      if (!Drain(fds[i]->fd, *into[i])) fds[i]->Close();
    }
  }

  int status = 0;
  pid_t got;
  do {
    got = ::waitpid(pid, &status, 0);
  } while (got < 0 && errno == EINTR);
  if (got != pid) {
    r.error = ErrnoText("waitpid", errno);
    return r;
  }
  if (WIFEXITED(status)) r.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) r.termSignal = WTERMSIG(status);
  return r;
}

std::string Describe(const ProcessResult& r) {
  std::string s;
  if (!r.started) return "not started: " + r.error + "\n";
  s += "exit status " + std::to_string(r.exitStatus);
  if (r.termSignal) s += ", killed by signal " + std::to_string(r.termSignal);
  if (r.timedOut) s += ", time limit reached";
  if (!r.error.empty()) s += ", " + r.error;
  s += "\n--- stdout (" + std::to_string(r.out.size()) + " bytes) ---\n" + r.out.substr(0, 2000);
  s += "\n--- stderr (" + std::to_string(r.err.size()) + " bytes) ---\n" + r.err.substr(0, 2000);
  return s + "\n";
}

}  // namespace rondel::test
