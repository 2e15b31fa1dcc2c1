// rondel-cli: the headless companion of the desktop program, on the same document code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace rondel::cli {

// Exit statuses shared by every command. A failed radio transfer exits with the number of its
// transfer status.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoConnection = 1;  // the radio does not answer
inline constexpr int kExitWrongType = 2;     // its identification is incomplete
inline constexpr int kExitRejected = 3;   // data file rejected by its header
inline constexpr int kExitReadFailed = 5;
inline constexpr int kExitWriteFailed = 7;
inline constexpr int kExitPasswordDiffers = 12;  // the radio's read password is not the file's
inline constexpr int kExitUsage = 64;
inline constexpr int kExitDataErr = 65;   // a list or value the form's rules refuse
inline constexpr int kExitNoInput = 66;   // input file (or the settings file) cannot be opened
inline constexpr int kExitCantCreate = 73;
inline constexpr int kExitInterrupted = 130;  // Ctrl+C: the transfer was cancelled

// Runs one command line (without the program name) and returns the exit status.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace rondel::cli
