#include "platform/qt/chm_archive.h"

#include <chm_lib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <utility>

namespace rondel {
namespace {

// #SYSTEM record codes (each record: 16-bit code, 16-bit length, data).
constexpr std::uint16_t kSysContentsFile = 0;
constexpr std::uint16_t kSysIndexFile = 1;
constexpr std::uint16_t kSysDefaultTopic = 2;
constexpr std::uint16_t kSysTitle = 3;

std::uint16_t Le16(const std::string& s, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                    (static_cast<unsigned char>(s[at + 1]) << 8));
}

// A #SYSTEM text: NUL-terminated inside its record, sometimes without the NUL.
std::string RecordText(const std::string& data) {
  const std::size_t nul = data.find('\0');
  return nul == std::string::npos ? data : data.substr(0, nul);
}

// The compiler's bookkeeping: "::DataSpace/...", "/#SYSTEM", "/$OBJINST", and chmcmd's own
// marker "/_#_README_#_".
bool IsInternalName(const std::string& path) {
  if (path.rfind("::", 0) == 0) return true;
  if (path.size() < 2 || path[0] != '/') return true;
  return path[1] == '#' || path[1] == '$' || path.rfind("/_#_", 0) == 0;
}

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  const std::size_t n = std::char_traits<char>::length(suffix);
  if (s.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) !=
        std::tolower(static_cast<unsigned char>(suffix[i])))
      return false;
  }
  return true;
}

std::uint64_t LeBytes(const unsigned char* p, int n) {
  std::uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// The file length the archive's own header section 0 records, or 0 when it cannot be told.
// chmlib reads a cut-off archive without complaint and hands out zeros for the missing part,
// so a short file has to be caught here.
std::uint64_t DeclaredLength(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::array<unsigned char, 0x48> itsf{};
  if (!in.read(reinterpret_cast<char*>(itsf.data()), itsf.size())) return 0;
  if (itsf[0] != 'I' || itsf[1] != 'T' || itsf[2] != 'S' || itsf[3] != 'F') return 0;
  const std::uint64_t section0 = LeBytes(&itsf[0x38], 8);  // offset of header section 0
  std::array<unsigned char, 16> hs0{};
  if (!in.seekg(static_cast<std::streamoff>(section0)) || !in.read(reinterpret_cast<char*>(hs0.data()), hs0.size()))
    return 0;
  if (LeBytes(&hs0[0], 4) != 0x01FE) return 0;
  return LeBytes(&hs0[8], 8);
}

int CollectObject(chmFile*, chmUnitInfo* ui, void* context) {
  auto* names = static_cast<std::vector<std::string>*>(context);
  std::string path(ui->path);
  if ((ui->flags & CHM_ENUMERATE_FILES) && !IsInternalName(path)) names->push_back(std::move(path));
  return CHM_ENUMERATOR_CONTINUE;
}

}  // namespace

CChmArchive::CChmArchive() = default;
CChmArchive::~CChmArchive() { Close(); }

CChmArchive::CChmArchive(CChmArchive&& other) noexcept
    : m_file(std::exchange(other.m_file, nullptr)),
      m_path(std::move(other.m_path)),
      m_system(std::move(other.m_system)) {}

CChmArchive& CChmArchive::operator=(CChmArchive&& other) noexcept {
  if (this != &other) {
    Close();
    m_file = std::exchange(other.m_file, nullptr);
    m_path = std::move(other.m_path);
    m_system = std::move(other.m_system);
  }
  return *this;
}

bool CChmArchive::Open(const std::string& path) {
  Close();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  const std::uint64_t length = std::filesystem::file_size(path, ec);
  if (ec || length < DeclaredLength(path)) return false;
  m_file = chm_open(path.c_str());
  if (!m_file) return false;
  m_path = path;
  ReadSystem();
  return true;
}

void CChmArchive::Close() {
  if (m_file) chm_close(m_file);
  m_file = nullptr;
  m_path.clear();
  m_system = {};
}

std::vector<std::string> CChmArchive::List() const {
  std::vector<std::string> names;
  if (m_file) chm_enumerate(m_file, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, CollectObject, &names);
  return names;
}

bool CChmArchive::Contains(const std::string& objectPath) const {
  if (!m_file) return false;
  chmUnitInfo ui{};
  const std::string path = NormaliseChmPath(objectPath);
  if (path.size() > CHM_MAX_PATHLEN) return false;
  return chm_resolve_object(m_file, path.c_str(), &ui) == CHM_RESOLVE_SUCCESS;
}

std::optional<std::string> CChmArchive::Read(const std::string& objectPath) const {
  return ReadExact(NormaliseChmPath(objectPath));
}

// Without normalising: the compiler's own objects have "#" in their names.
std::optional<std::string> CChmArchive::ReadExact(const std::string& path) const {
  if (!m_file || path.size() > CHM_MAX_PATHLEN) return std::nullopt;
  chmUnitInfo ui{};
  if (chm_resolve_object(m_file, path.c_str(), &ui) != CHM_RESOLVE_SUCCESS) return std::nullopt;
  if (ui.length > kMaxObjectSize) return std::nullopt;
  std::string data(static_cast<std::size_t>(ui.length), '\0');
  if (ui.length == 0) return data;
  const LONGINT64 got = chm_retrieve_object(
      m_file, &ui, reinterpret_cast<unsigned char*>(data.data()), 0, static_cast<LONGINT64>(ui.length));
  if (got != static_cast<LONGINT64>(ui.length)) return std::nullopt;
  return data;
}

void CChmArchive::ReadSystem() {
  const std::optional<std::string> sys = ReadExact("/#SYSTEM");
  if (!sys) return;
  const std::string& s = *sys;
  std::size_t at = 4;  // version word
  while (at + 4 <= s.size()) {
    const std::uint16_t code = Le16(s, at);
    const std::uint16_t length = Le16(s, at + 2);
    at += 4;
    if (at + length > s.size()) break;
    const std::string data = s.substr(at, length);
    at += length;
    auto asPath = [&] {
      std::string t = RecordText(data);
      return t.empty() ? t : NormaliseChmPath(t);
    };
    switch (code) {
      case kSysContentsFile: m_system.contentsFile = asPath(); break;
      case kSysIndexFile: m_system.indexFile = asPath(); break;
      case kSysDefaultTopic: m_system.defaultTopic = asPath(); break;
      case kSysTitle: m_system.title = RecordText(data); break;
      default: break;
    }
  }
}

std::string CChmArchive::FirstWithSuffix(const char* const* suffixes) const {
  for (const std::string& name : List()) {
    for (const char* const* s = suffixes; *s; ++s)
      if (EndsWithNoCase(name, *s)) return name;
  }
  return {};
}

std::string CChmArchive::DefaultTopic() const {
  if (!m_system.defaultTopic.empty() && Contains(m_system.defaultTopic)) return m_system.defaultTopic;
  static const char* const kPages[] = {".htm", ".html", nullptr};
  return FirstWithSuffix(kPages);
}

std::string CChmArchive::Title() const { return m_system.title; }

std::string CChmArchive::ContentsFile() const {
  if (!m_system.contentsFile.empty() && Contains(m_system.contentsFile)) return m_system.contentsFile;
  static const char* const kContents[] = {".hhc", nullptr};
  return FirstWithSuffix(kContents);
}

std::string CChmArchive::IndexFile() const {
  if (!m_system.indexFile.empty() && Contains(m_system.indexFile)) return m_system.indexFile;
  static const char* const kIndex[] = {".hhk", nullptr};
  return FirstWithSuffix(kIndex);
}

std::string NormaliseChmPath(const std::string& path) {
  std::string p = path.substr(0, path.find_first_of("?#"));
  std::replace(p.begin(), p.end(), '\\', '/');
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= p.size()) {
    std::size_t slash = p.find('/', start);
    if (slash == std::string::npos) slash = p.size();
    std::string part = p.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    start = slash + 1;
  }
  if (parts.empty()) return std::string(1, '/');
  std::string out;
  for (const std::string& part : parts) {
    out.push_back('/');
    out.append(part);
  }
  if (p.back() == '/') out.push_back('/');  // a folder stays a folder
  return out;
}

std::string ResolveChmLink(const std::string& page, const std::string& link) {
  if (link.empty() || link[0] == '#') return {};
  // A scheme is letters, digits, "+", "-", "." before the first ":" and before any "/".
  const std::size_t colon = link.find(':');
  if (colon != std::string::npos && colon > 0) {
    const std::string scheme = link.substr(0, colon);
    const bool isScheme = std::all_of(scheme.begin(), scheme.end(), [](unsigned char c) {
      return std::isalnum(c) || c == '+' || c == '-' || c == '.';
    });
    if (isScheme) return {};
  }
  if (link[0] == '/') return NormaliseChmPath(link);
  const std::string base = NormaliseChmPath(page);
  const std::size_t lastSlash = base.rfind('/');
  return NormaliseChmPath(base.substr(0, lastSlash + 1) + link);
}

bool IsHtmlPath(const std::string& path) {
  return EndsWithNoCase(path, ".htm") || EndsWithNoCase(path, ".html");
}

}  // namespace rondel
