#include "platform/qt/chm_archive.h"

#include <chm_lib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
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

std::uint64_t Le(const std::string& s, std::size_t at, int n) {
  return LeBytes(reinterpret_cast<const unsigned char*>(s.data()) + at, n);
}

// An object of the uncompressed section: a plain read of the file, safe whatever it holds.
std::optional<std::string> ReadStored(chmFile* file, const char* path) {
  chmUnitInfo ui{};
  if (chm_resolve_object(file, path, &ui) != CHM_RESOLVE_SUCCESS || ui.space != CHM_UNCOMPRESSED) return std::nullopt;
  if (ui.length == 0 || ui.length > CChmArchive::kMaxObjectSize) return std::nullopt;
  std::string data(static_cast<std::size_t>(ui.length), '\0');
  const LONGINT64 got = chm_retrieve_object(
      file, &ui, reinterpret_cast<unsigned char*>(data.data()), 0, static_cast<LONGINT64>(ui.length));
  if (got != static_cast<LONGINT64>(ui.length)) return std::nullopt;
  return data;
}

// chmlib unpacks the compressed section with whatever numbers the file gives it: it divides by
// them, sizes its buffers by them and sets up its LZX window from them, all without a check.
// So every number it will use is checked here first, from the section's own uncompressed
// bookkeeping; the answer is the section's unpacked length, or nothing when any number is off.
constexpr char kControlData[] = "::DataSpace/Storage/MSCompressed/ControlData";
constexpr char kResetTable[] =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
constexpr char kContent[] = "::DataSpace/Storage/MSCompressed/Content";
// LZX unpacks in frames of 32 KiB; the compressed section is cut into blocks of one frame each.
constexpr std::uint64_t kLzxFrame = 0x8000;
constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();

std::optional<std::uint64_t> SoundCompressedLength(chmFile* file) {
  // The LZX parameters. chmlib counts them in 32 bits, so each must come out the same there.
  const std::optional<std::string> control = ReadStored(file, kControlData);
  if (!control || control->size() < 24 || control->compare(4, 4, "LZXC") != 0) return std::nullopt;
  const std::uint64_t version = Le(*control, 8, 4);
  if (version != 1 && version != 2) return std::nullopt;  // any other is taken as version 1
  const std::uint64_t unit = version == 2 ? kLzxFrame : 1;  // version 1 counts bytes
  const std::uint64_t resetInterval = Le(*control, 12, 4) * unit;
  const std::uint64_t window = Le(*control, 16, 4) * unit;
  const std::uint64_t windowsPerReset = Le(*control, 20, 4);
  // A window LZX cannot have leaves chmlib without a decoder, which it then uses anyway.
  if (window < (1u << 15) || window > (1u << 21) || (window & (window - 1)) != 0) return std::nullopt;
  if (resetInterval == 0 || resetInterval > kMax32 || resetInterval % (window / 2) != 0) return std::nullopt;
  // The blocks between two decoder resets; chmlib divides by this count.
  const std::uint64_t resetBlocks = resetInterval / (window / 2) * windowsPerReset;
  if (resetBlocks == 0 || resetBlocks > kMax32) return std::nullopt;

  // Where each block starts in the compressed data, and the lengths on both sides.
  const std::optional<std::string> table = ReadStored(file, kResetTable);
  if (!table || table->size() < 40) return std::nullopt;
  const std::uint64_t entries = Le(*table, 4, 4);
  const std::uint64_t entrySize = Le(*table, 8, 4);
  const std::uint64_t tableOffset = Le(*table, 12, 4);
  const std::uint64_t unpacked = Le(*table, 16, 8);
  const std::uint64_t packed = Le(*table, 24, 8);
  const std::uint64_t blockLength = Le(*table, 32, 8);
  // chmlib divides by the block length and unpacks a whole frame into a buffer of that size.
  if (entrySize != 8 || blockLength != kLzxFrame) return std::nullopt;
  if (tableOffset < 40 || tableOffset > table->size() || entries > (table->size() - tableOffset) / 8)
    return std::nullopt;
  const std::uint64_t blocks = unpacked / kLzxFrame + (unpacked % kLzxFrame != 0);
  if (entries < blocks) return std::nullopt;  // every block needs its start
  for (std::uint64_t i = 0, previous = 0; i < entries; ++i) {
    const std::uint64_t start = Le(*table, static_cast<std::size_t>(tableOffset + i * 8), 8);
    if (i == 0 ? start != 0 : start <= previous) return std::nullopt;
    if (start > packed || (i < blocks && start == packed)) return std::nullopt;  // a block holds data
    previous = start;
  }

  // The compressed data must hold what the table says it does.
  chmUnitInfo content{};
  if (chm_resolve_object(file, kContent, &content) != CHM_RESOLVE_SUCCESS || content.space != CHM_UNCOMPRESSED ||
      content.length < packed)
    return std::nullopt;
  return unpacked;
}

// chm_open itself reads the LZX control data and divides by half its window, whatever the
// object holds: a window of 0 or 1 byte as chmlib counts it (in 32 bits), or an object shorter
// than its six words (the rest then comes from the stack), stops the program before any object
// can be looked at. So before chmlib sees the file, every directory entry it could take for that
// object is looked at here: wherever its name stands, in any case, ended by its length or a NUL.
// Listing the objects follows the directory's chain of leaf chunks to its end; a chain that
// comes back on itself would keep chmlib going round it for ever, so it is followed here first.
constexpr std::uint64_t kMaxScannedFile = 256u << 20;  // far beyond any help file

bool ChmlibSurvives(const std::string& path, std::uint64_t fileLength) {
  if (fileLength > kMaxScannedFile) return false;
  std::ifstream in(path, std::ios::binary);
  const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  auto byte = [&](std::uint64_t at) { return at < file.size() ? static_cast<unsigned char>(file[at]) : 0u; };
  auto le = [&](std::uint64_t at, int n) {  // zeros past the end, as chmlib reads them
    std::uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | byte(at + static_cast<std::uint64_t>(i));
    return v;
  };
  auto encint = [&](std::uint64_t& at) {
    std::uint64_t v = 0;
    for (int i = 0; i < 10; ++i, ++at) {
      v = (v << 7) | (byte(at) & 0x7Fu);
      if ((byte(at) & 0x80u) == 0) return ++at, v;
    }
    return ~std::uint64_t{0};
  };
  // The chain of leaf chunks, from the first as the directory header names it to "none" (-1).
  const std::uint64_t directory = le(0x48, 8), chunkSize = le(directory + 0x10, 4);
  const std::uint64_t chunks = directory + le(directory + 8, 4);
  // chmlib takes a buffer of one chunk for every lookup: a chunk larger than the whole
  // directory is damage, and one of 4 GiB would be asked for again at every lookup.
  if (chunkSize == 0 || chunkSize > le(0x50, 8)) return false;
  std::set<std::int32_t> visited;
  for (auto chunk = static_cast<std::int32_t>(le(directory + 0x20, 4)); chunk != -1;) {
    if (!visited.insert(chunk).second) return false;
    const std::uint64_t at = chunks + static_cast<std::uint64_t>(static_cast<std::int64_t>(chunk)) * chunkSize;
    chunk = static_cast<std::int32_t>(le(at + 0x10, 4));
  }
  // Where the data starts: recorded in a version 3 header, else right after the directory.
  const std::uint64_t dataStart = le(4, 4) == 3 ? le(0x58, 8) : le(0x48, 8) + le(0x50, 8);
  const std::string name = kControlData;
  auto same = [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); };
  for (auto it = file.begin();
       (it = std::search(it, file.end(), name.begin(), name.end(), same)) != file.end(); ++it) {
    const std::uint64_t at = static_cast<std::uint64_t>(it - file.begin());
    // The name's length ends just before it; where that number starts is read every way it can.
    if (at == 0 || byte(at - 1) >= 0x80) continue;
    std::uint64_t first = at - 1;
    while (first > 0 && byte(first - 1) >= 0x80 && at - first < 10) --first;
    if (first > 0 && byte(first - 1) >= 0x80) return false;
    for (std::uint64_t start = first; start < at; ++start) {
      std::uint64_t pos = start;
      const std::uint64_t nameLength = encint(pos);
      if (nameLength < name.size() || (nameLength > name.size() && byte(at + name.size()) != 0))
        continue;  // another name
      pos = at + nameLength;
      const std::uint64_t section = encint(pos), offset = encint(pos), length = encint(pos);
      if (section != 0 || length < 24 || length > 0x100) return false;
      const std::uint64_t object = dataStart + offset;
      if (object < dataStart || object > file.size() || file.size() - object < 24) return false;
      const std::uint64_t unit = le(object + 8, 4) == 2 ? kLzxFrame : 1;
      if (((le(object + 16, 4) * unit) & 0xFFFFFFFFu) <= 1) return false;
    }
  }
  return true;
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
      m_system(std::move(other.m_system)),
      m_compressedLength(std::exchange(other.m_compressedLength, std::nullopt)) {}

CChmArchive& CChmArchive::operator=(CChmArchive&& other) noexcept {
  if (this != &other) {
    Close();
    m_file = std::exchange(other.m_file, nullptr);
    m_path = std::move(other.m_path);
    m_system = std::move(other.m_system);
    m_compressedLength = std::exchange(other.m_compressedLength, std::nullopt);
  }
  return *this;
}

bool CChmArchive::Open(const std::string& path) {
  Close();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  const std::uint64_t length = std::filesystem::file_size(path, ec);
  if (ec || length < DeclaredLength(path) || !ChmlibSurvives(path, length)) return false;
  m_file = chm_open(path.c_str());
  if (!m_file) return false;
  m_path = path;
  m_compressedLength = SoundCompressedLength(m_file);
  ReadSystem();  // #SYSTEM itself may be compressed
  return true;
}

void CChmArchive::Close() {
  if (m_file) chm_close(m_file);
  m_file = nullptr;
  m_path.clear();
  m_system = {};
  m_compressedLength.reset();
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
  // Anything outside the plain section goes through the decompressor.
  if (ui.space != CHM_UNCOMPRESSED && !CompressedReadable(ui.start, ui.length)) return std::nullopt;
  std::string data(static_cast<std::size_t>(ui.length), '\0');
  if (ui.length == 0) return data;
  const LONGINT64 got = chm_retrieve_object(
      m_file, &ui, reinterpret_cast<unsigned char*>(data.data()), 0, static_cast<LONGINT64>(ui.length));
  if (got != static_cast<LONGINT64>(ui.length)) return std::nullopt;
  return data;
}

// Only within the length the section unpacks to: past it the block starts run out.
bool CChmArchive::CompressedReadable(std::uint64_t start, std::uint64_t length) const {
  return m_compressedLength && start <= *m_compressedLength && length <= *m_compressedLength - start;
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
