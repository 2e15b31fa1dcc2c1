// What the fuzz targets share: a check that stops the run, and the input as a file of its own
// while it runs, on a memory file system where there is one (the code may flush every write).
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

inline void Require(bool ok) { ok || (__builtin_trap(), 0); }

struct FuzzFile {
  explicit FuzzFile(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  ~FuzzFile() { std::filesystem::remove(path); }
  static std::filesystem::path Folder() {
    namespace fs = std::filesystem;
    return fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
  }
  const std::string path = Folder() / ("rondel-fuzz-" + std::to_string(::getpid()));
};
