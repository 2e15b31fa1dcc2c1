// A fresh folder for one test, removed with everything in it when the test ends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rondel::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return m_path; }
  // path() + "/" + name
  std::string File(std::string_view name) const;
  // Writes `text` to `name` in the folder and returns the full path.
  std::string Write(std::string_view name, std::string_view text) const;
  std::string WriteBytes(std::string_view name, const std::vector<std::uint8_t>& bytes) const;

 private:
  std::string m_path;
};

std::string ReadText(const std::string& path);
std::vector<std::uint8_t> ReadBytes(const std::string& path);

}  // namespace rondel::test
