// rondel-cli: the headless companion of the desktop program, on the same document code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace rondel::cli {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRejected = 3;   // data file rejected by its header
inline constexpr int kExitUsage = 64;
inline constexpr int kExitNoInput = 66;   // input file (or the settings file) cannot be opened
inline constexpr int kExitCantCreate = 73;

// Runs one command line (without the program name) and returns the exit status.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace rondel::cli
