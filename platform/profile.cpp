// SPDX-License-Identifier: GPL-3.0-or-later
// Private-profile (INI) files read and written the way the Win32 profile functions do it, on
// the standard library and POSIX alone. Every call looks at the file; a parse is reused only
// while the file is provably the one it was made from.
#include "platform/profile.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <list>
#include <memory>
#include <mutex>
#include <span>
#include <sys/stat.h>
#include <utility>

#include "platform/ascii.h"
#include "platform/atomic_file.h"

namespace rondel::profile {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A value written in quotes keeps the blanks inside them.
std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// Cuts to at most bufSize - 1 bytes, as a C buffer of bufSize bytes would hold. A cut that
// lands inside a UTF-8 multi-byte sequence backs off to its lead byte, so no half character
// reaches the screen; stray continuation bytes without a lead are cut where they fall.
std::string CutToBuffer(std::string_view v, std::size_t bufSize) {
  const std::size_t limit = bufSize == 0 ? 0 : bufSize - 1;
  if (v.size() <= limit) return std::string(v);
  std::size_t cut = limit;
  auto continuation = [&](std::size_t i) { return (static_cast<unsigned char>(v[i]) & 0xC0) == 0x80; };
  if (continuation(cut)) {
    std::size_t lead = cut;
    while (lead > 0 && cut - lead < 3 && continuation(lead - 1)) --lead;
    if (lead > 0) {
      --lead;
      const auto b = static_cast<unsigned char>(v[lead]);
      const std::size_t length = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
      if (length != 0 && lead + length > cut) cut = lead;
    }
  }
  return std::string(v.substr(0, cut));
}

enum class Kind { Blank, Comment, Section, Key, Other };

struct Line {
  std::size_t begin = 0;   // first byte of the line
  std::size_t nameAt = 0;  // first byte after the leading blanks
  std::size_t end = 0;     // end of the text; the line ending follows
  std::size_t next = 0;    // first byte of the following line
  Kind kind = Kind::Other;
  std::string_view name;   // section or key name, blanks trimmed
  std::string_view value;  // key value, blanks trimmed, quotes still on
};

// The file's bytes cut into classified lines. The lines point into the text, so the object
// stays where it was built.
class IniText {
 public:
  explicit IniText(std::string bytes) : m_text(std::move(bytes)) {
    // A UTF-8 byte-order mark is no part of the first line; it stays in the text, so a
    // rewrite keeps it.
    std::size_t pos = m_text.starts_with(kBom) ? kBom.size() : 0;
    m_bodyStart = pos;
    while (pos < m_text.size()) {
      Line line;
      line.begin = pos;
      const std::size_t lf = m_text.find('\n', pos);
      line.next = lf == std::string::npos ? m_text.size() : lf + 1;
      line.end = lf == std::string::npos ? m_text.size() : lf;
      // Carriage returns before the line feed (or at the very end) belong to the line ending,
      // so a missing final line feed added later changes no value.
      while (line.end > pos && m_text[line.end - 1] == '\r') --line.end;
      if (lf != std::string::npos && m_eol.empty()) m_eol = line.end < lf ? "\r\n" : "\n";
      Classify(line);
      m_lines.push_back(line);
      pos = line.next;
    }
    if (m_eol.empty()) m_eol = "\n";
  }
  IniText(const IniText&) = delete;
  IniText& operator=(const IniText&) = delete;

  const std::string& text() const { return m_text; }
  const std::vector<Line>& lines() const { return m_lines; }
  bool bodyEmpty() const { return m_bodyStart == m_text.size(); }
  // The file's own line ending, taken from its first line ending.
  std::string_view eol() const { return m_eol; }

  // The first header of that name: a later header of the same name is shadowed by it, as in
  // Win32, and its keys are neither read nor written.
  std::size_t FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i)
      if (m_lines[i].kind == Kind::Section && EqualNoCase(m_lines[i].name, section)) return i;
    return kNone;
  }
  // One past the last line of the section whose header is at `header`.
  std::size_t SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Kind::Section) ++i;
    return i;
  }
  std::size_t FindKey(std::size_t header, std::string_view key) const {
    for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
      if (m_lines[i].kind == Kind::Key && EqualNoCase(m_lines[i].name, key)) return i;
    return kNone;
  }
  const Line* Find(std::string_view section, std::string_view key) const {
    if (section.empty() || key.empty()) return nullptr;
    const std::size_t header = FindSection(section);
    if (header == kNone) return nullptr;
    const std::size_t k = FindKey(header, key);
    return k == kNone ? nullptr : &m_lines[k];
  }

 private:
  void Classify(Line& line) const {
    const std::string_view all(m_text.data() + line.begin, line.end - line.begin);
    std::size_t lead = 0;
    while (lead < all.size() && IsBlank(all[lead])) ++lead;
    line.nameAt = line.begin + lead;
    const std::string_view s = all.substr(lead);
    if (s.empty()) {
      line.kind = Kind::Blank;
    } else if (s.front() == ';') {
      line.kind = Kind::Comment;
    } else if (s.front() == '[') {
      // Whatever follows the ']' is a remark; a header without one runs to the line's end.
      const std::size_t close = s.find(']');
      line.kind = Kind::Section;
      line.name = Trim(s.substr(1, close == std::string_view::npos ? s.npos : close - 1));
    } else if (const std::size_t eq = s.find('='); eq != std::string_view::npos) {
      line.kind = Kind::Key;
      line.name = Trim(s.substr(0, eq));
      line.value = Trim(s.substr(eq + 1));
    }
  }

  std::string m_text;
  std::size_t m_bodyStart = 0;
  // One of the two line-ending literals: a view, not a copy, since GCC 12 at -O3 mistakes the
  // short string's copy for an overlapping one (-Wrestrict).
  std::string_view m_eol;
  std::vector<Line> m_lines;
};

// A missing, unreadable or refused file (a FIFO, a device, one over the limit) reads as an
// empty one, so every lookup gives its default.
std::string LoadForReading(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, kMaxProfileBytes)) return {};
  return std::string(bytes.begin(), bytes.end());
}

// What identifies one state of a file without reading it. The change time is in it because
// nobody can set it: a copy that keeps size and modification time still moves it.
struct FileStamp {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  timespec ctime{};
};

bool operator==(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}
bool SameStamp(const FileStamp& a, const FileStamp& b) {
  return a.dev == b.dev && a.ino == b.ino && a.size == b.size && a.mtime == b.mtime &&
         a.ctime == b.ctime;
}

// File times advance in clock ticks, and on older kernels and some file systems a tick is
// long: a file rewritten within the tick of its last read keeps its stamp. A parse made within
// this margin of the file's last change is therefore checked against the bytes before reuse.
constexpr time_t kStampMarginSeconds = 2;

struct ParsedFile {
  std::string path;
  FileStamp stamp;
  timespec verifiedAt{};  // when the bytes were last read and found to be these
  std::shared_ptr<const IniText> ini;
};

// Lookups run one after another (a form fill makes hundreds), so the parses of the last few
// files are kept. The transfer worker reads the settings file too, hence the lock.
class ParseCache {
 public:
  std::shared_ptr<const IniText> Get(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      Forget(path);
      return Empty();
    }
    const FileStamp stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);

    const std::lock_guard lock(m_mutex);
    auto it = Find(path);
    if (it != m_files.end() && SameStamp(it->stamp, stamp)) {
      if (it->verifiedAt.tv_sec > stamp.ctime.tv_sec + kStampMarginSeconds) return Touch(it);
      // Changed too recently for the stamp to tell: the bytes decide.
      std::string bytes = LoadForReading(path);
      if (bytes == it->ini->text()) {
        it->verifiedAt = now;
        return Touch(it);
      }
      m_files.erase(it);
      return Insert(path, stamp, now, std::move(bytes));
    }
    if (it != m_files.end()) m_files.erase(it);
    return Insert(path, stamp, now, LoadForReading(path));
  }

  void Forget(const std::string& path) {
    const std::lock_guard lock(m_mutex);
    if (auto it = Find(path); it != m_files.end()) m_files.erase(it);
  }

 private:
  static constexpr std::size_t kKept = 8;

  static std::shared_ptr<const IniText> Empty() {
    static const auto empty = std::make_shared<const IniText>(std::string());
    return empty;
  }
  std::list<ParsedFile>::iterator Find(const std::string& path) {
    for (auto it = m_files.begin(); it != m_files.end(); ++it)
      if (it->path == path) return it;
    return m_files.end();
  }
  // Most recently used first; the least recently used goes when the list is full.
  std::shared_ptr<const IniText> Touch(std::list<ParsedFile>::iterator it) {
    m_files.splice(m_files.begin(), m_files, it);
    return m_files.front().ini;
  }
  std::shared_ptr<const IniText> Insert(const std::string& path, const FileStamp& stamp,
                                        const timespec& now, std::string bytes) {
    m_files.push_front({path, stamp, now, std::make_shared<const IniText>(std::move(bytes))});
    if (m_files.size() > kKept) m_files.pop_back();
    return m_files.front().ini;
  }

  std::mutex m_mutex;
  std::list<ParsedFile> m_files;
};

ParseCache& Cache() {
  static ParseCache cache;
  return cache;
}

// Only a file that is not there starts out empty; one that is there but cannot be read must
// not be replaced by a file holding nothing but the new entry.
bool LoadForWriting(const std::string& path, std::string& out,
                    std::optional<FileIdentity>& identity) {
  std::vector<std::uint8_t> bytes;
  FileIdentity read;
  if (ReadWholeFile(path, bytes, kMaxProfileBytes, nullptr, &read)) {
    out.assign(bytes.begin(), bytes.end());
    identity = read;
    return true;
  }
  struct stat st {};
  out.clear();
  return ::stat(path.c_str(), &st) != 0 && errno == ENOENT;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Names that would turn into another line, another header or another key are refused.
bool ValidSection(std::string_view s) { return !s.empty() && !HasLineBreak(s) && s.find_first_of("[]") == s.npos; }
bool ValidKey(std::string_view k) {
  return !k.empty() && k.front() != ';' && !HasLineBreak(k) && k.find_first_of("[]=") == k.npos;
}

// A value the reader would change (blanks at its ends, or a pair of quotes around it) is
// written in double quotes, so it reads back exactly as it was written.
std::string EncodeValue(std::string_view v) {
  if (v.empty()) return {};
  const bool needsQuotes = IsBlank(v.front()) || IsBlank(v.back()) || Unquote(v).size() != v.size();
  return needsQuotes ? "\"" + std::string(v) + "\"" : std::string(v);
}

}  // namespace

std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view def, std::size_t bufSize) {
  const auto parsed = Cache().Get(path);
  const IniText& ini = *parsed;
  const Line* line = ini.Find(Trim(section), Trim(key));
  return CutToBuffer(line ? Unquote(line->value) : def, bufSize);
}

int GetInt(const std::string& path, std::string_view section, std::string_view key, int def) {
  const auto parsed = Cache().Get(path);
  const IniText& ini = *parsed;
  const Line* line = ini.Find(Trim(section), Trim(key));
  if (!line) return def;
  const std::string_view v = Unquote(line->value);
  // Win32 reads the text with an empty default and takes a zero length as "not there".
  if (v.empty()) return def;
  long long n = 0;
  for (char c : v) {
    if (!IsDigit(c)) break;
    n = n * 10 + (c - '0');
    if (n >= INT_MAX) return INT_MAX;
  }
  return static_cast<int>(n);
}

bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (!ValidSection(section) || !ValidKey(key) || HasLineBreak(value)) return false;
  std::string bytes;
  // The settings file is the program's own: a link to it (a dotfile kept elsewhere) stays.
  std::optional<FileIdentity> identity;
  if (!LoadForWriting(path, bytes, identity)) return false;
  const IniText ini(std::move(bytes));
  const std::string& text = ini.text();
  const std::vector<Line>& lines = ini.lines();
  const std::string encoded = EncodeValue(value);
  const std::string eol(ini.eol());
  const std::string entry = std::string(key) + "=" + encoded;

  std::string out;
  const std::size_t header = ini.FindSection(section);
  if (const std::size_t k = header == kNone ? kNone : ini.FindKey(header, key); k != kNone) {
    // In place: the leading blanks, the key's own spelling and the line ending stay.
    const Line& line = lines[k];
    out = text.substr(0, line.nameAt) + std::string(line.name) + "=" + encoded + text.substr(line.end);
  } else if (header != kNone) {
    // After the section's last entry, ahead of the blank lines and remarks that lead to the
    // next section; an empty section gets it right under its header.
    std::size_t last = header;
    for (std::size_t i = header + 1, end = ini.SectionEnd(header); i < end; ++i)
      if (lines[i].kind != Kind::Blank && lines[i].kind != Kind::Comment) last = i;
    const Line& after = lines[last];
    const bool ended = after.next > after.end && text[after.next - 1] == '\n';
    out = text.substr(0, after.next) + (ended ? "" : eol) + entry + eol + text.substr(after.next);
  } else {
    out = text;
    if (!ini.bodyEmpty()) {
      if (out.back() != '\n') out += eol;
      if (lines.back().kind != Kind::Blank) out += eol;
    }
    out += "[" + std::string(section) + "]" + eol + entry + eol;
  }
  Cache().Forget(path);
  return WriteFileAtomically(
      path, std::span(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()), identity);
}

std::vector<std::string> GetKeys(const std::string& path, std::string_view section) {
  const auto parsed = Cache().Get(path);
  const IniText& ini = *parsed;
  std::vector<std::string> keys;
  section = Trim(section);
  if (section.empty()) return keys;
  const std::size_t header = ini.FindSection(section);
  if (header == kNone) return keys;
  for (std::size_t i = header + 1, end = ini.SectionEnd(header); i < end; ++i) {
    const Line& line = ini.lines()[i];
    // A key without a name cannot be asked for; a repeated one is shadowed by its first.
    if (line.kind != Kind::Key || line.name.empty() || ini.FindKey(header, line.name) != i) continue;
    keys.emplace_back(line.name);
  }
  return keys;
}

std::vector<std::string> GetSections(const std::string& path) {
  const auto parsed = Cache().Get(path);
  const IniText& ini = *parsed;
  std::vector<std::string> sections;
  for (std::size_t i = 0; i < ini.lines().size(); ++i) {
    const Line& line = ini.lines()[i];
    if (line.kind != Kind::Section || line.name.empty() || ini.FindSection(line.name) != i) continue;
    sections.emplace_back(line.name);
  }
  return sections;
}

}  // namespace rondel::profile
