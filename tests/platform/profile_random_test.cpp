// Private-profile calls on random files with fixed seeds: no crash, cuts within the buffer and
// on character boundaries, and a write that changes its one entry and nothing else.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace rondel::profile {
namespace {

using test::TempDir;

constexpr std::size_t kWhole = 1 << 20;

// Checks the encoding on its own terms, without any help from the code under test.
bool IsValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t j = 1; j < n; ++j)
      if ((static_cast<unsigned char>(s[i + j]) >> 6) != 0x2) return false;
    i += n;
  }
  return true;
}

bool SameNoCase(const std::string& a, const std::string& b) {
  auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return fold(x) == fold(y); });
}

class Generator {
 public:
  explicit Generator(unsigned seed) : m_rng(seed) {}

  std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_rng); }

  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

  // Any bytes at all, weighted towards the ones the format gives a meaning to.
  std::string RawFile() {
    static const std::string pieces[] = {"[", "]", "=", ";", "\n", "\r", "\r\n", " ", "\t", "\"", "'",
                                         std::string(1, '\0'), "a", "A", "b", "B", "k", "1",
                                         "\xEF\xBB\xBF", "\xE4\xB8", "\xAD", "\x80", "\xFF", "\xC3"};
    std::string s;
    for (std::size_t i = 0, n = Below(200); i < n; ++i) s += Pick(pieces);
    return s;
  }

  // Valid UTF-8 throughout, with the structure a settings file has, often broken on purpose.
  std::string Utf8File() {
    static const char* const names[] = {"a", "A", "b", "B", "setup", "Setup", "k", "K", " a ", "\xE4\xB8\xAD"};
    static const char* const texts[] = {"x", "\xE4\xB8\xAD\xE6\x96\x87", "\xC3\xA9t\xC3\xA9", "\xF0\x9F\x98\x80",
                                        " ", "\t", "\"", "'", ";", "=", "12", "COM3", "[", "]"};
    static const char* const eols[] = {"\n", "\r\n", "\r", ""};
    std::string s = Below(4) == 0 ? "\xEF\xBB\xBF" : "";
    for (std::size_t i = 0, n = Below(25); i < n; ++i) {
      switch (Below(5)) {
        case 0: s += std::string(Below(3), ' ') + "[" + Pick(names) + (Below(5) ? "]" : "") + Pick(texts); break;
        case 1: s += std::string(";") + Pick(texts); break;
        case 2: s += Pick(texts); break;
        default: {
          s += std::string(Below(3), '\t') + Pick(names) + std::string(Below(2), ' ') + "=";
          for (std::size_t j = 0, m = Below(6); j < m; ++j) s += Pick(texts);
        }
      }
      s += Pick(eols);
    }
    return s;
  }

  std::string Name() {
    static const char* const names[] = {"a", "A", "b", "B", "setup", "k", " a ", "", "[", "x=y", "\xE4\xB8\xAD"};
    return Pick(names);
  }

  // A value the writer must accept: anything without a line break.
  std::string Value() {
    static const std::string texts[] = {"x", "\xE4\xB8\xAD", " ", "\t", "\"", "'", ";", "=", "[", "]", "7",
                                        std::string(1, '\0')};
    std::string v;
    for (std::size_t i = 0, n = Below(6); i < n; ++i) v += Pick(texts);
    return v;
  }

 private:
  std::mt19937 m_rng;
};

// Every (section, key) the file lists, with its whole value.
std::map<std::pair<std::string, std::string>, std::string> Snapshot(const std::string& path) {
  std::map<std::pair<std::string, std::string>, std::string> all;
  for (const std::string& section : GetSections(path))
    for (const std::string& key : GetKeys(path, section))
      all[{section, key}] = GetString(path, section, key, "<missing>", kWhole);
  return all;
}

class ProfileRandom : public ::testing::TestWithParam<unsigned> {};

TEST_P(ProfileRandom, ArbitraryBytesReadSafely) {
  Generator gen(GetParam());
  TempDir dir;
  for (int round = 0; round < 150; ++round) {
    const std::string path = dir.Write("random.ini", gen.RawFile());
    const std::string section = gen.Name();
    const std::string key = gen.Name();
    const std::size_t bufSize = gen.Below(12);
    const std::string whole = GetString(path, section, key, "", kWhole);
    const std::string cut = GetString(path, section, key, "", bufSize);
    ASSERT_LE(cut.size(), bufSize == 0 ? 0 : bufSize - 1);
    ASSERT_EQ(whole.compare(0, cut.size(), cut), 0) << "a cut value is a prefix of the whole one";
    // Backing off to a character start drops at most three bytes.
    ASSERT_GE(cut.size() + 3, std::min(whole.size(), bufSize == 0 ? 0 : bufSize - 1));
    // The integer agrees with the text read from the same entry.
    const int n = GetInt(path, section, key, -1);
    long long digits = 0;
    for (std::size_t i = 0; i < whole.size() && whole[i] >= '0' && whole[i] <= '9'; ++i)
      digits = std::min<long long>(digits * 10 + (whole[i] - '0'), INT_MAX);
    if (!whole.empty()) ASSERT_EQ(n, digits) << whole;
    else ASSERT_EQ(n, -1);
    for (const std::string& s : GetSections(path)) {
      ASSERT_FALSE(s.empty());
      ASSERT_EQ(s.find_first_of("]\n"), std::string::npos);
      for (const std::string& k : GetKeys(path, s)) ASSERT_EQ(k.find_first_of("=\n"), std::string::npos);
    }
  }
}

TEST_P(ProfileRandom, Utf8StaysWholeWhenCut) {
  Generator gen(GetParam());
  TempDir dir;
  for (int round = 0; round < 150; ++round) {
    const std::string text = gen.Utf8File();
    ASSERT_TRUE(IsValidUtf8(text));
    const std::string path = dir.Write("utf8.ini", text);
    for (const std::string& section : GetSections(path)) {
      for (const std::string& key : GetKeys(path, section)) {
        const std::string whole = GetString(path, section, key, "", kWhole);
        for (std::size_t bufSize = 0; bufSize <= whole.size() + 1; ++bufSize) {
          const std::string cut = GetString(path, section, key, "", bufSize);
          ASSERT_LE(cut.size(), bufSize == 0 ? 0 : bufSize - 1);
          ASSERT_TRUE(IsValidUtf8(cut)) << "cut of '" << whole << "' to " << bufSize;
          ASSERT_GE(cut.size() + 3, std::min(whole.size(), bufSize == 0 ? 0 : bufSize - 1));
        }
      }
    }
  }
}

TEST_P(ProfileRandom, WriteChangesOneEntryOnly) {
  Generator gen(GetParam());
  TempDir dir;
  for (int round = 0; round < 150; ++round) {
    const std::string path = dir.Write("write.ini", gen.Below(2) ? gen.RawFile() : gen.Utf8File());
    static const char* const sections[] = {"a", "B", "setup", "new", "\xE4\xB8\xAD"};
    static const char* const keys[] = {"a", "K", "k", "com", "fresh"};
    const std::string section = gen.Pick(sections);
    const std::string key = gen.Pick(keys);
    const std::string value = gen.Value();
    const auto before = Snapshot(path);
    const auto sectionsBefore = GetSections(path);

    ASSERT_TRUE(WriteString(path, section, key, value));
    ASSERT_EQ(GetString(path, section, key, "<missing>", kWhole), value);

    auto after = Snapshot(path);
    for (const auto& [where, old] : before) {
      if (SameNoCase(where.first, section) && SameNoCase(where.second, key)) continue;
      ASSERT_EQ(after[where], old) << "[" << where.first << "] " << where.second;
    }
    const auto sectionsAfter = GetSections(path);
    ASSERT_GE(sectionsAfter.size(), sectionsBefore.size());
    ASSERT_TRUE(std::equal(sectionsBefore.begin(), sectionsBefore.end(), sectionsAfter.begin()));
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ProfileRandom, ::testing::Values(1u, 2u, 3u, 42u, 2024u, 65535u));

}  // namespace
}  // namespace rondel::profile
