#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace rondel::test {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "rondel-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  m_path = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::File(std::string_view name) const { return m_path + "/" + std::string(name); }

std::string TempDir::Write(std::string_view name, std::string_view text) const {
  const std::string p = File(name);
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  return p;
}

std::string TempDir::WriteBytes(std::string_view name, const std::vector<std::uint8_t>& bytes) const {
  const std::string p = File(name);
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return p;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  const std::string t = ReadText(path);
  return {t.begin(), t.end()};
}

}  // namespace rondel::test
