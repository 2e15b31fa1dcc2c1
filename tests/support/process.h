// Runs a program the way a user's shell would and hands back what it said, so the tests can
// judge the real executables; a child that hangs is killed at its time limit.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace rondel::test {

struct ProcessResult {
  bool started = false;       // false: the program could not be spawned (see `error`)
  bool timedOut = false;      // the time limit ran out and the child was killed
  int exitStatus = -1;        // the status passed to exit(), or -1 when the child did not exit
  int termSignal = 0;         // the signal that ended the child, 0 when it exited
  std::string out;            // everything written to standard output
  std::string err;            // everything written to standard error
  std::string error;          // why the run failed on our side, empty otherwise
};

// Spawns `program` (a path, not searched in PATH) with `args` (without the program name), the
// current environment and /dev/null as standard input, and collects both output streams.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         std::chrono::milliseconds timeLimit = std::chrono::seconds(20));

// For failure messages: the program's status and streams in a few lines.
std::string Describe(const ProcessResult& r);

}  // namespace rondel::test
