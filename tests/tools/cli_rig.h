// SPDX-License-Identifier: GPL-3.0-or-later
// What the command-line tests share: the built programs, the files of golden/, and a child
// process that runs while the test acts on it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace rondel::test::cli {

inline std::string BinDir() { return std::getenv("RONDEL_BIN_DIR"); }
inline std::string Golden(const std::string& name) {
  return std::string(std::getenv("RONDEL_SOURCE_DIR")) + "/tests/tools/golden/" + name;
}
inline ProcessResult RunCli(const std::vector<std::string>& args) {
  return RunProcess(BinDir() + "/rondel-cli", args, std::chrono::seconds(30));
}
// The same with `input` as standard input.
inline ProcessResult RunCliWithInput(const std::vector<std::string>& args, const std::string& input) {
  return RunProcess(BinDir() + "/rondel-cli", args, std::chrono::seconds(30), &input);
}

// The bytes of `file` with `patches` (offset, bytes) applied: the expectation of an edit.
using Patches = std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>>;
inline std::vector<std::uint8_t> Patched(const std::string& file, const Patches& patches) {
  std::vector<std::uint8_t> bytes = ReadBytes(file);
  for (const auto& [at, with] : patches) std::copy(with.begin(), with.end(), bytes.begin() + at);
  return bytes;
}

// A program started in the background; killed at the end of the test if still running.
class Child {
 public:
  Child(const std::string& program, std::vector<std::string> args, const std::string& errFile) {
    posix_spawn_file_actions_t fa;
    ::posix_spawn_file_actions_init(&fa);
    ::posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_addopen(&fa, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&m_pid, program.c_str(), &fa, nullptr, argv.data(), environ) != 0) m_pid = -1;
    ::posix_spawn_file_actions_destroy(&fa);
  }
  ~Child() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
  }
  bool started() const { return m_pid > 0; }
  pid_t pid() const { return m_pid; }
  // Sends `sig` and waits: the exit status, or -1 when the child did not exit within 10 s.
  int Stop(int sig) {
    if (m_pid <= 0 || ::kill(m_pid, sig) != 0) return -1;
    return Wait();
  }
  // The exit status, or -1 when the child did not exit within 10 s.
  int Wait() {
    int status = 0;
    for (int i = 0; m_pid > 0 && i < 2000; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
      if (::waitpid(m_pid, &status, WNOHANG) != m_pid) continue;
      m_pid = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return -1;
  }

 private:
  pid_t m_pid = -1;
};

// XDG_STATE_HOME (where the programs keep their backups) for the programs a test starts, put
// back afterwards.
class StateHome {
 public:
  explicit StateHome(const std::string& path) {
    if (const char* old = std::getenv("XDG_STATE_HOME")) m_old = old;
    ::setenv("XDG_STATE_HOME", path.c_str(), 1);
  }
  ~StateHome() {
    if (m_old) ::setenv("XDG_STATE_HOME", m_old->c_str(), 1); else ::unsetenv("XDG_STATE_HOME");
  }
  StateHome(const StateHome&) = delete;
  StateHome& operator=(const StateHome&) = delete;

 private:
  std::optional<std::string> m_old;
};

}  // namespace rondel::test::cli
