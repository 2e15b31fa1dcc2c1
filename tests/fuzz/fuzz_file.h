// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzz targets share: a check that stops the run, and the input as a file of its own
// while it runs, on a memory file system where there is one (the code may flush every write).
#pragma once

#include <unistd.h>

#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <string>

inline void Require(bool ok) { ok || (__builtin_trap(), 0); }

// The file's name is the same in every process: a name that differs from run to run (a process
// number) reaches the code's string comparisons, which steer the fuzzer, and two runs with one
// seed would then part ways. Each process works in a folder of its own instead, so parallel
// fuzzing processes stay apart.
struct FuzzFile {
  explicit FuzzFile(const std::string& bytes) {
    static const bool inFolder = EnterOwnFolder();
    (void)inFolder;
    std::ofstream(path, std::ios::binary) << bytes;
  }
  ~FuzzFile() { std::filesystem::remove(path); }
  const std::string path = "rondel-fuzz-input";

 private:
  static bool EnterOwnFolder() {
    namespace fs = std::filesystem;
    static std::string folder =
        ((fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) / "rondel-fuzz-XXXXXX").string();
    if (!::mkdtemp(folder.data()) || ::chdir(folder.c_str()) != 0) return false;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(folder, ec);
    });
    return true;
  }
};
