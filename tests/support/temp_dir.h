// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder for one test, removed with everything in it when the test ends.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rondel::test {

class TempDir {
 public:
  TempDir() : m_path((std::filesystem::temp_directory_path() / "rondel-test-XXXXXX").string()) {
    if (!::mkdtemp(m_path.data())) throw std::runtime_error("mkdtemp failed");
  }
  ~TempDir() {
    namespace fs = std::filesystem;
    std::error_code ec;  // a test may have taken our own rights away
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return m_path; }
  std::string File(std::string_view name) const { return m_path + "/" + std::string(name); }
  // Writes `name` in the folder and returns its full path.
  std::string Write(std::string_view name, std::string_view text) const {
    const std::string p = File(name);
    std::ofstream(p, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    return p;
  }
  std::string WriteBytes(std::string_view name, const std::vector<std::uint8_t>& bytes) const {
    return Write(name, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  }

 private:
  std::string m_path;
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  const std::string t = ReadText(path);
  return {t.begin(), t.end()};
}

}  // namespace rondel::test
