// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli: the headless companion of the desktop program, on the same document code.
#pragma once

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/file_lock.h"

namespace rondel {
class CRondelDoc;
class CSettings;
}  // namespace rondel

namespace rondel::cli {

// Exit statuses shared by every command. A failed radio transfer exits with the number of its
// transfer status.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoConnection = 1;  // the radio does not answer
inline constexpr int kExitWrongType = 2;     // its identification is incomplete
inline constexpr int kExitRejected = 3;   // not a data file; for write, not a complete one
inline constexpr int kExitReadFailed = 5;
inline constexpr int kExitWriteFailed = 7;
inline constexpr int kExitPasswordDiffers = 12;  // the radio's read password is not the file's
inline constexpr int kExitVerifyFailed = 14;  // written, but read back different
inline constexpr int kExitUsage = 64;
inline constexpr int kExitDataErr = 65;   // a list or assignment the form's rules refuse
inline constexpr int kExitNoInput = 66;   // an input, settings or language file cannot be used
inline constexpr int kExitCantCreate = 73;
inline constexpr int kExitLocked = 75;    // another program kept the file to rewrite locked
inline constexpr int kExitInterrupted = 130;  // Ctrl+C: the transfer was cancelled

// Runs one command line (without the program name) and returns the exit status.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// What the commands share. What is wrong with the command line, in the language file's words
// (`key`) with the argument at fault (returns kExitUsage); a file that cannot be opened or
// written, with the reason; a failed save (returns kExitCantCreate).
int Usage(std::ostream& err, const char* key, const std::string& what);
void FileError(std::ostream& err, const char* key, const std::string& path,
               const std::string& reason);
int ReportStoreFailure(std::ostream& err, const std::string& path, int error);
// The document a command starts from: `file` opened as the desktop program opens it ("-":
// standard input, of which as many bytes are read as of a file), or a new document of model 0
// without one. `whole`: only a complete data file will do. `opened`, when
// given, receives the identity of the file read. Returns an exit status.
int StartingDocument(CRondelDoc& doc, const std::optional<std::string>& file,
                     const CSettings& settings, bool whole, std::ostream& err,
                     std::optional<FileIdentity>* opened = nullptr);

// "-" in place of a file: standard input where a file is read, standard output where one is
// written.
inline constexpr const char* kStdStream = "-";

// Saves the document to `path`, or to `out` for "-". Returns an exit status, having said
// what failed.
int SaveDocument(CRondelDoc& doc, const std::string& path, const CSettings& settings,
                 std::ostream& out, std::ostream& err,
                 std::optional<FileIdentity> over = std::nullopt);
// `text` on standard output; kExitCantCreate, having said so, when it cannot be written.
int WriteStandardOutput(const std::string& text, std::ostream& out, std::ostream& err);
// A "-" that cannot serve where it stands (a file to change in place, standard input twice):
// the language file's `key` and the argument; returns kExitUsage.
int RefuseStandardInput(std::ostream& err, const char* key, const std::string& what);

// A COM port number 1..255, the whole text.
bool ParsePort(const std::string& text, int& port);

// read and write: a transfer with the radio.
struct TransferRequest {
  std::string command;                  // "read" or "write"
  std::vector<std::string> positional;  // write: FILE
  std::optional<std::string> output;    // read: -o
  std::optional<std::string> from;      // read: the document the image starts as
  std::optional<std::string> password;  // read: the read password to compare with
  std::optional<std::string> port;      // COM port opened first
  std::optional<std::string> device;    // device opened first
  bool noVerify = false;                // write: no read-back after the write
  bool noBackup = false;                // no backup of the radio's memory
};
int CmdTransfer(const TransferRequest& request, const CSettings& settings, std::ostream& out,
                std::ostream& err);

// How long a rewrite waits for another program that holds the file's lock.
inline constexpr std::chrono::seconds kLockWait{10};

// A command that reads FILE and saves its result over it (edit and import without -o, or with
// -o naming FILE itself). FILE's lock is held from before the read until the new file is in
// place, so two such commands at once take turns and the second changes the first's result;
// and the save goes to the file that was read, also through a symbolic link to it.
struct Rewrite {
  bool overFile = false;                 // the output is FILE
  FileLock lock;
  std::optional<FileIdentity> opened;    // of the file read; set by StartingDocument
  // What the save passes on: the identity of what was read when writing over it, else none.
  std::optional<FileIdentity> SaveOver() const { return overFile ? opened : std::nullopt; }
};
// Takes FILE's lock when `out` names FILE. Returns an exit status: kExitLocked, after saying
// so, when another holder kept it for all of kLockWait. A FILE that cannot be locked (missing,
// no regular file) is left to the read to report.
int BeginRewrite(const std::string& file, const std::string& out, Rewrite& rewrite,
                 std::ostream& err);
}  // namespace rondel::cli
