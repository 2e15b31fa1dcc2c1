// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/help/chm_archive.h"

#include <mspack.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>
#include <sys/stat.h>
#include <unordered_map>
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

std::uint64_t Le(std::string_view s, std::size_t at, int n) {
  std::uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
  return v;
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

char FoldCase(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string Folded(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), FoldCase);
  return s;
}

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  const std::size_t n = std::char_traits<char>::length(suffix);
  if (s.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (FoldCase(s[s.size() - n + i]) != FoldCase(suffix[i])) return false;
  return true;
}

// The file length the archive's own header section 0 records, or 0 when it cannot be told. A
// file cut short would otherwise open and fail only when the missing part is reached.
std::uint64_t DeclaredLength(std::string_view file) {
  if (file.size() < 0x48 || file.substr(0, 4) != "ITSF") return 0;
  const std::uint64_t section0 = Le(file, 0x38, 8);
  if (section0 > file.size() || file.size() - section0 < 16) return 0;
  if (Le(file, section0, 4) != 0x01FE) return 0;
  return Le(file, section0 + 8, 8);
}

}  // namespace

// ---- the decompressor's view of the world ----
//
// libmspack reaches files and memory only through an mspack_system of its caller's. Ours serves
// the help file from memory, collects an object being unpacked into a string, and holds every
// step to the limits: memory handed out, bytes written, and a deadline checked at every read
// and write, so that no number in the file can make a step run long or grow large.

namespace {

struct BoundedSystem;

struct MemoryFile {
  BoundedSystem* system;
  bool writer;
  std::uint64_t position = 0;
};

// What an allocation carries in front of the caller's bytes, so that free() (which gets no
// system pointer) can give its size back to the right account.
struct alignas(std::max_align_t) AllocationHeader {
  BoundedSystem* system;
  std::size_t size;
};

struct BoundedSystem {
  mspack_system base{};  // first, so libmspack's pointer to it is a pointer to us
  const ChmLimits* limits = nullptr;
  std::string_view file;     // the whole help file
  std::string* sink = nullptr;  // where extract() writes
  std::uint64_t sinkLimit = 0;
  std::size_t allocated = 0;
  std::chrono::steady_clock::time_point started{}, deadline{};
  std::chrono::steady_clock::duration spent{};  // by the steps of this file so far
  bool outOfTime = false, outOfMemory = false, outOfRoom = false;

  std::chrono::steady_clock::time_point Now() const {
    return limits->clock ? limits->clock() : std::chrono::steady_clock::now();
  }
  void Start(std::string* out = nullptr, std::uint64_t outLimit = 0) {
    started = Now();
    const auto left = std::max<std::chrono::steady_clock::duration>(limits->maxTotalTime - spent, {});
    deadline = started + std::min<std::chrono::steady_clock::duration>(limits->maxTime, left);
    outOfTime = outOfMemory = outOfRoom = false;
    sink = out;
    sinkLimit = outLimit;
  }
  void Finish() {
    spent += Now() - started;
    sink = nullptr;
  }
  bool InTime() {
    if (!outOfTime && Now() >= deadline) outOfTime = true;
    return !outOfTime;
  }
  // Which limit stopped the last step, if one did.
  ChmError Stopped() const {
    if (outOfTime) return ChmError::kTimeLimit;
    if (outOfMemory) return ChmError::kMemoryLimit;
    if (outOfRoom) return ChmError::kTooLarge;
    return ChmError::kNone;
  }
};

// libmspack hands its own copies of our mspack_system to the decompressors it sets up, so the
// system of a call is the one whose step is running on this thread, not the pointer passed.
thread_local BoundedSystem* t_running = nullptr;

class RunningStep {
 public:
  explicit RunningStep(BoundedSystem& system) : m_previous(std::exchange(t_running, &system)) {}
  ~RunningStep() { t_running = m_previous; }
  RunningStep(const RunningStep&) = delete;
  RunningStep& operator=(const RunningStep&) = delete;

 private:
  BoundedSystem* m_previous;
};

BoundedSystem* Of(mspack_system*) { return t_running; }

mspack_file* SysOpen(mspack_system* self, const char*, int mode) {
  BoundedSystem* sys = Of(self);
  if (!sys) return nullptr;
  if (mode != MSPACK_SYS_OPEN_READ && mode != MSPACK_SYS_OPEN_WRITE) return nullptr;
  if (mode == MSPACK_SYS_OPEN_WRITE && !sys->sink) return nullptr;
  auto* file = new (std::nothrow) MemoryFile{sys, mode == MSPACK_SYS_OPEN_WRITE};
  return reinterpret_cast<mspack_file*>(file);
}

void SysClose(mspack_file* file) { delete reinterpret_cast<MemoryFile*>(file); }

int SysRead(mspack_file* handle, void* buffer, int bytes) {
  auto* file = reinterpret_cast<MemoryFile*>(handle);
  BoundedSystem* sys = file->system;
  if (file->writer || bytes < 0 || !sys->InTime()) return -1;
  const std::uint64_t size = sys->file.size();
  const std::uint64_t n = file->position >= size ? 0 : std::min<std::uint64_t>(static_cast<unsigned>(bytes), size - file->position);
  if (n) std::memcpy(buffer, sys->file.data() + file->position, static_cast<std::size_t>(n));
  file->position += n;
  return static_cast<int>(n);
}

int SysWrite(mspack_file* handle, void* buffer, int bytes) {
  auto* file = reinterpret_cast<MemoryFile*>(handle);
  BoundedSystem* sys = file->system;
  if (!file->writer || bytes < 0 || !sys->InTime()) return -1;
  if (static_cast<std::uint64_t>(bytes) > sys->sinkLimit - std::min(sys->sinkLimit, std::uint64_t{sys->sink->size()})) {
    sys->outOfRoom = true;
    return -1;
  }
  sys->sink->append(static_cast<const char*>(buffer), static_cast<std::size_t>(bytes));
  return bytes;
}

int SysSeek(mspack_file* handle, off_t offset, int mode) {
  auto* file = reinterpret_cast<MemoryFile*>(handle);
  const std::uint64_t size = file->writer ? file->system->sink->size() : file->system->file.size();
  std::int64_t base = 0;
  if (mode == MSPACK_SYS_SEEK_CUR) base = static_cast<std::int64_t>(file->position);
  else if (mode == MSPACK_SYS_SEEK_END) base = static_cast<std::int64_t>(size);
  else if (mode != MSPACK_SYS_SEEK_START) return -1;
  // Past the end is allowed (a read there gives nothing); before the start or overflow is not.
  if (offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset) return -1;
  if (base + offset < 0) return -1;
  file->position = static_cast<std::uint64_t>(base + offset);
  return 0;
}

off_t SysTell(mspack_file* handle) {
  return static_cast<off_t>(reinterpret_cast<MemoryFile*>(handle)->position);
}

// libmspack's warnings about a damaged file; the caller's error code says all we need.
void SysMessage(mspack_file*, const char*, ...) {}

void* SysAlloc(mspack_system* self, std::size_t bytes) {
  BoundedSystem* sys = Of(self);
  if (!sys) return nullptr;
  if (bytes > sys->limits->maxMemory - std::min(sys->limits->maxMemory, sys->allocated)) {
    sys->outOfMemory = true;
    return nullptr;
  }
  void* block = std::malloc(sizeof(AllocationHeader) + bytes);
  if (!block) {
    sys->outOfMemory = true;
    return nullptr;
  }
  auto* header = new (block) AllocationHeader{sys, bytes};
  sys->allocated += bytes;
  return header + 1;
}

void SysFree(void* pointer) {
  if (!pointer) return;
  AllocationHeader* header = static_cast<AllocationHeader*>(pointer) - 1;
  header->system->allocated -= header->size;
  std::free(header);
}

void SysCopy(void* source, void* destination, std::size_t bytes) { std::memmove(destination, source, bytes); }

bool LibraryFits() {
  static const bool fits = [] {
    int result = MSPACK_ERR_OK;
    MSPACK_SYS_SELFTEST(result);
    return result == MSPACK_ERR_OK;
  }();
  return fits;
}

ChmError FromMspack(int code) {
  switch (code) {
    case MSPACK_ERR_OK: return ChmError::kNone;
    case MSPACK_ERR_SIGNATURE: return ChmError::kNotHelpFile;
    case MSPACK_ERR_NOMEMORY: return ChmError::kMemoryLimit;
    default: return ChmError::kDamaged;
  }
}

}  // namespace

struct CChmArchive::Impl {
  std::string bytes;  // the whole help file
  BoundedSystem system;
  mschm_decompressor* decompressor = nullptr;
  mschmd_header* header = nullptr;
  // Every object the directory names, sysfiles included, in directory order.
  std::vector<mschmd_file*> objects;
  std::unordered_map<std::string, mschmd_file*> byExactName, byFoldedName;

  explicit Impl(const ChmLimits& limits) {
    system.base.open = SysOpen;
    system.base.close = SysClose;
    system.base.read = SysRead;
    system.base.write = SysWrite;
    system.base.seek = SysSeek;
    system.base.tell = SysTell;
    system.base.message = SysMessage;
    system.base.alloc = SysAlloc;
    system.base.free = SysFree;
    system.base.copy = SysCopy;
    system.base.null_ptr = nullptr;
    system.limits = &limits;
  }
  ~Impl() {
    const RunningStep step(system);
    if (decompressor) {
      if (header) decompressor->close(decompressor, header);
      mspack_destroy_chm_decompressor(decompressor);
    }
  }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  mschmd_file* Find(const std::string& path) const {
    if (auto it = byExactName.find(path); it != byExactName.end()) return it->second;
    if (auto it = byFoldedName.find(Folded(path)); it != byFoldedName.end()) return it->second;
    return nullptr;
  }
};

CChmArchive::CChmArchive(ChmLimits limits) : m_limits(limits) {}
CChmArchive::~CChmArchive() = default;

// The limits travel with the archive: the decompressor holds a pointer to them.
CChmArchive::CChmArchive(CChmArchive&& other) noexcept
    : m_limits(other.m_limits),
      m_impl(std::move(other.m_impl)),
      m_path(std::move(other.m_path)),
      m_system(std::move(other.m_system)),
      m_error(std::exchange(other.m_error, ChmError::kNone)) {
  if (m_impl) m_impl->system.limits = &m_limits;
  other.Close();
}

CChmArchive& CChmArchive::operator=(CChmArchive&& other) noexcept {
  if (this != &other) {
    m_limits = other.m_limits;
    m_impl = std::move(other.m_impl);
    if (m_impl) m_impl->system.limits = &m_limits;
    m_path = std::move(other.m_path);
    m_system = std::move(other.m_system);
    m_error = std::exchange(other.m_error, ChmError::kNone);
    other.Close();
  }
  return *this;
}

bool CChmArchive::IsOpen() const { return m_impl != nullptr; }

namespace {

// The whole file into memory, within the size limit.
ChmError ReadHelpFile(const std::string& path, std::uint64_t maxSize, std::string& out) {
  if (path.empty()) return ChmError::kMissing;
  std::FILE* f = std::fopen(path.c_str(), "rbe");
  if (!f) return errno == ENOENT || errno == ENOTDIR ? ChmError::kMissing : ChmError::kUnreadable;
  struct stat st {};
  ChmError result = ChmError::kNone;
  if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
    result = ChmError::kUnreadable;
  } else if (static_cast<std::uint64_t>(st.st_size) > maxSize) {
    result = ChmError::kTooLarge;
  } else {
    char buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
      // A file that grows while it is read is held to the same limit.
      if (out.size() + n > maxSize) {
        result = ChmError::kTooLarge;
        break;
      }
      out.append(buffer, n);
    }
    if (result == ChmError::kNone && std::ferror(f)) result = ChmError::kUnreadable;
  }
  std::fclose(f);
  return result;
}

}  // namespace

bool CChmArchive::Open(const std::string& path) {
  Close();
  if (!LibraryFits()) return m_error = ChmError::kUnreadable, false;
  auto impl = std::make_unique<Impl>(m_limits);
  if (const ChmError e = ReadHelpFile(path, m_limits.maxFileSize, impl->bytes); e != ChmError::kNone)
    return m_error = e, false;
  const std::string_view file = impl->bytes;
  if (file.size() < 4 || file.substr(0, 4) != "ITSF") return m_error = ChmError::kNotHelpFile, false;
  if (file.size() < DeclaredLength(file)) return m_error = ChmError::kDamaged, false;

  // The help compiler we build with (chmcmd) writes the header's first GUID in place of the
  // second, which libmspack checks; HTML Help itself reads such files, so they are read here as
  // if the second GUID were written right.
  constexpr std::string_view kFirstGuid("\x10\xFD\x01\x7C\xAA\x7B\xD0\x11\x9E\x0C\x00\xA0\xC9\x22\xE6\xEC", 16);
  if (file.size() >= 0x38 && file.substr(0x18, 16) == kFirstGuid && file.substr(0x28, 16) == kFirstGuid)
    impl->bytes[0x28] = '\x11';
  impl->system.file = file;
  const RunningStep step(impl->system);
  impl->decompressor = mspack_create_chm_decompressor(&impl->system.base);
  if (!impl->decompressor) return m_error = ChmError::kMemoryLimit, false;
  impl->system.Start();
  impl->header = impl->decompressor->open(impl->decompressor, "help file");
  impl->system.Finish();
  if (!impl->header) {
    const ChmError stopped = impl->system.Stopped();
    m_error = stopped != ChmError::kNone ? stopped : FromMspack(impl->decompressor->last_error(impl->decompressor));
    if (m_error == ChmError::kNone) m_error = ChmError::kDamaged;
    return false;
  }
  for (mschmd_file* list : {impl->header->files, impl->header->sysfiles}) {
    for (mschmd_file* f = list; f; f = f->next) {
      if (impl->objects.size() >= m_limits.maxObjects) return m_error = ChmError::kTooManyObjects, false;
      impl->objects.push_back(f);
      // The first of two objects of one name is the one a lookup finds.
      impl->byExactName.emplace(f->filename, f);
      impl->byFoldedName.emplace(Folded(f->filename), f);
    }
  }
  m_impl = std::move(impl);
  m_path = path;
  m_error = ChmError::kNone;
  ReadSystem();  // #SYSTEM itself may be compressed
  return true;
}

void CChmArchive::Close() {
  m_impl.reset();
  m_path.clear();
  m_system = {};
}

std::vector<std::string> CChmArchive::List() const {
  std::vector<std::string> names;
  if (!m_impl) return names;
  for (const mschmd_file* f : m_impl->objects) {
    std::string name = f->filename;
    if (!IsInternalName(name)) names.push_back(std::move(name));
  }
  return names;
}

bool CChmArchive::Contains(const std::string& objectPath) const {
  return m_impl && m_impl->Find(NormaliseChmPath(objectPath)) != nullptr;
}

std::optional<std::string> CChmArchive::Read(const std::string& objectPath) const {
  return ReadExact(NormaliseChmPath(objectPath));
}

// Without normalising: the compiler's own objects have "#" in their names.
std::optional<std::string> CChmArchive::ReadExact(const std::string& path) const {
  if (!m_impl) return std::nullopt;
  mschmd_file* object = m_impl->Find(path);
  if (!object) return m_error = ChmError::kMissing, std::nullopt;
  const bool compressed = object->section && object->section->id == 1;
  if (object->offset < 0 || object->length < 0) return m_error = ChmError::kDamaged, std::nullopt;
  const auto offset = static_cast<std::uint64_t>(object->offset);
  const auto length = static_cast<std::uint64_t>(object->length);
  if (length > m_limits.maxObjectSize) return m_error = ChmError::kTooLarge, std::nullopt;
  if (compressed && (offset > m_limits.maxUnpackedOffset || length > m_limits.maxUnpackedOffset - offset))
    return m_error = ChmError::kTooLarge, std::nullopt;
  std::string data;
  m_error = ChmError::kNone;
  if (length == 0) return data;
  data.reserve(static_cast<std::size_t>(length));
  BoundedSystem& sys = m_impl->system;
  sys.Start(&data, length);
  const RunningStep step(sys);
  const int result = m_impl->decompressor->extract(m_impl->decompressor, object, "object");
  sys.Finish();
  if (result != MSPACK_ERR_OK || data.size() != length) {
    const ChmError stopped = sys.Stopped();
    m_error = stopped != ChmError::kNone ? stopped : ChmError::kDamaged;
    return std::nullopt;
  }
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
