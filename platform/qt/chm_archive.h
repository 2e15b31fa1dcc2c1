// Read access to a compiled HTML Help file (.chm): the objects it holds, their bytes, and the
// project facts the viewer needs (default topic, title, contents file). No Qt, no widgets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct chmFile;

namespace rondel {

class CChmArchive {
 public:
  CChmArchive();
  ~CChmArchive();
  CChmArchive(CChmArchive&&) noexcept;
  CChmArchive& operator=(CChmArchive&&) noexcept;
  CChmArchive(const CChmArchive&) = delete;
  CChmArchive& operator=(const CChmArchive&) = delete;

  // Opens the file; false when it is missing, unreadable or not a compiled help file. A failed
  // open leaves the archive closed.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return m_file != nullptr; }
  const std::string& Path() const { return m_path; }

  // The topics and pictures of the archive, "/index.html" style, in the archive's order; the
  // compiler's own objects (names starting with "#", "$" or "::") are left out.
  std::vector<std::string> List() const;
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

  // Objects larger than this are treated as unreadable: a damaged directory can claim any size.
  static constexpr std::size_t kMaxObjectSize = 64u << 20;

 private:
  struct SystemInfo {
    std::string contentsFile, indexFile, defaultTopic, title;
  };
  std::optional<std::string> ReadExact(const std::string& path) const;
  bool CompressedReadable(std::uint64_t start, std::uint64_t length) const;
  void ReadSystem();
  std::string FirstWithSuffix(const char* const* suffixes) const;

  chmFile* m_file = nullptr;
  std::string m_path;
  SystemInfo m_system;
  // How many bytes the compressed section unpacks to, when its bookkeeping holds together;
  // otherwise nothing, and no compressed object is read. Settled once, when the file opens.
  std::optional<std::uint64_t> m_compressedLength;
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
