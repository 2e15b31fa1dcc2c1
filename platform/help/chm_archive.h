// SPDX-License-Identifier: GPL-3.0-or-later
// Read access to a compiled HTML Help file (.chm): the objects it holds, their bytes, and the
// project facts the viewer needs (default topic, title, contents and index files). No Qt, no
// widgets. A help file may come from anywhere, so every number taken from it is bounded: what
// one file may make the reader allocate, read and unpack, and how long each step may take.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rondel {

// Why the last open or read failed.
enum class ChmError {
  kNone,
  kMissing,         // no such file
  kUnreadable,      // it exists but cannot be read (a folder, no permission, an I/O error)
  kNotHelpFile,     // not a compiled help file at all
  kDamaged,         // a help file whose structure or compressed data does not hold together
  kTooLarge,        // the file, or an object it names, is past the size a help file may have
  kTooManyObjects,  // its directory names more objects than a help file may hold
  kMemoryLimit,     // reading it would take more memory than one help file may use
  kTimeLimit,       // reading it took longer than one help file may take
};

// The bounds one help file is held to. The defaults are far beyond any real help file (ours
// are some 30 KB) and small enough that a hostile one cannot hurt the program.
struct ChmLimits {
  std::uint64_t maxFileSize = 64u << 20;
  std::size_t maxObjects = 65536;
  std::size_t maxMemory = 64u << 20;       // held by the decompressor at any one time
  std::uint64_t maxObjectSize = 64u << 20;
  // How far into the compressed section an object may lie: the decompressor unpacks everything
  // before an object (from the nearest reset point) to reach it.
  std::uint64_t maxUnpackedOffset = 256u << 20;
  std::chrono::milliseconds maxTime{5000};  // for the open, and for each object read
  // For everything one open file is asked, together: a search reads every page, and a file of
  // thousands of pages each just within maxTime must not hold the viewer for hours.
  std::chrono::milliseconds maxTotalTime{30000};
  // Where the time comes from; the steady clock when empty. Tests and the fuzzer give a clock
  // of their own, so that what a time limit does never depends on the machine's speed.
  std::function<std::chrono::steady_clock::time_point()> clock;
};

class CChmArchive {
 public:
  explicit CChmArchive(ChmLimits limits = {});
  ~CChmArchive();
  CChmArchive(CChmArchive&&) noexcept;
  CChmArchive& operator=(CChmArchive&&) noexcept;
  CChmArchive(const CChmArchive&) = delete;
  CChmArchive& operator=(const CChmArchive&) = delete;

  // Opens the file; false when it is missing, unreadable, not a compiled help file, damaged in
  // its directory or past a limit (Error() says which). A failed open leaves the archive closed.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const;
  const std::string& Path() const { return m_path; }
  // How the last Open or Read went: kNone when it succeeded, kMissing for an object the
  // archive does not hold.
  ChmError Error() const { return m_error; }
  const ChmLimits& Limits() const { return m_limits; }

  // The topics and pictures of the archive, "/index.html" style, in the archive's order; the
  // compiler's own objects (names starting with "#", "$" or "::") are left out.
  std::vector<std::string> List() const;
  // Looked up as the help compiler's lookups do: letter case does not matter.
  bool Contains(const std::string& objectPath) const;
  // The whole object, or nothing when it is not in the archive or cannot be read. Compressed
  // objects of a file whose compressed section is damaged cannot be read; they are still listed.
  std::optional<std::string> Read(const std::string& objectPath) const;

  // From the archive's #SYSTEM object; empty when it names none. DefaultTopic falls back to the
  // first page of List() so that a viewer always has something to show.
  std::string DefaultTopic() const;
  std::string Title() const;         // as stored (our files: UTF-8)
  std::string ContentsFile() const;  // "/english.hhc"; falls back to the first *.hhc
  std::string IndexFile() const;     // "/english.hhk"; falls back to the first *.hhk

 private:
  struct Impl;
  struct SystemInfo {
    std::string contentsFile, indexFile, defaultTopic, title;
  };
  std::optional<std::string> ReadExact(const std::string& path) const;
  void ReadSystem();
  std::string FirstWithSuffix(const char* const* suffixes) const;

  ChmLimits m_limits;
  std::unique_ptr<Impl> m_impl;
  std::string m_path;
  SystemInfo m_system;
  mutable ChmError m_error = ChmError::kNone;
};

// "/" + path with "./" and "name/../" steps folded, and no query or fragment: the form in
// which objects are looked up. A path that climbs above the root stays at the root.
std::string NormaliseChmPath(const std::string& path);
// Resolves a link found in `page` (an object path) the way a browser does for relative
// links: "b.htm" next to "/dir/a.htm" is "/dir/b.htm"; "/x.htm" is absolute. Links with a
// scheme ("http:", "mailto:") and pure "#fragment" links give an empty result.
std::string ResolveChmLink(const std::string& page, const std::string& link);
// True when the path names an HTML page (".htm" or ".html", any case).
bool IsHtmlPath(const std::string& path);

}  // namespace rondel
